// JSON shapes of the language server (see lsp_shapes.h).
#include "lsp_shapes.h"

#include "lsp_documents.h"

namespace zoci {
namespace {

constexpr int kSeverityError = 1;
constexpr int kSeverityWarning = 2;

}  // namespace

nlohmann::json DiagnosticJson(const TextPositions& positions, const Diagnostic& diagnostic) {
  return {{"range", positions.Range(diagnostic.offset, diagnostic.length)},
          {"severity", diagnostic.error ? kSeverityError : kSeverityWarning},
          {"code", diagnostic.check},
          {"source", "zoci"},
          {"message", diagnostic.message}};
}

nlohmann::json QuickFixAction(const TextPositions& positions, const Diagnostic& diagnostic, const std::string& uri,
                              int64_t version, size_t index) {
  return {{"title", "Fix: " + diagnostic.message + " [" + diagnostic.check + "]"},
          {"kind", "quickfix"},
          {"isPreferred", true},
          {"diagnostics", nlohmann::json::array({DiagnosticJson(positions, diagnostic)})},
          {"data", {{"uri", uri}, {"version", version}, {"index", index}}}};
}

nlohmann::json FixAllAction(const std::string& check, const std::string& uri, int64_t version) {
  return {{"title", "Fix all " + check + " in file"},
          {"kind", "quickfix"},
          {"data", {{"uri", uri}, {"version", version}, {"check", check}}}};
}

nlohmann::json SuppressAction(const TextPositions& positions, const Diagnostic& diagnostic, const std::string& uri) {
  const LineIndex& lines = positions.Lines();
  const uint32_t line = lines.PositionOf(diagnostic.offset).line;
  const auto lineEnd = static_cast<uint32_t>(lines.LineStart(line) + lines.LineText(line).size());
  const TextEdit directive{lineEnd, 0, " // zoCI:skip:" + diagnostic.check};
  return {{"title", "Suppress " + diagnostic.check + " on this line"},
          {"kind", "quickfix"},
          {"diagnostics", nlohmann::json::array({DiagnosticJson(positions, diagnostic)})},
          {"edit", WorkspaceEdit(positions, uri, {directive})}};
}

nlohmann::json WorkspaceEdit(const TextPositions& positions, const std::string& uri,
                             const std::vector<TextEdit>& edits) {
  nlohmann::json textEdits = nlohmann::json::array();
  for (const TextEdit& edit : edits) {
    textEdits.push_back({{"range", positions.Range(edit.offset, edit.length)}, {"newText", edit.text}});
  }
  return {{"changes", {{uri, textEdits}}}};
}

}  // namespace zoci
