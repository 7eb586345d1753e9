// zoci's JSON output (schema in host/OUTPUT.md).
#include "machine_report.h"
#include "source_lines.h"

namespace zoci {
namespace {

constexpr int kSchemaVersion = 1;

Json Point(const Position& position) { return {{"line", position.line}, {"column", position.column}}; }

/// A span's fields: offset, length, start and end.
Json Span(const SpanPositions& span) {
  return {{"offset", span.offset}, {"length", span.length}, {"start", Point(span.start)}, {"end", Point(span.end)}};
}

Json DiagnosticJson(const SourceLines& lines, const Diagnostic& diagnostic) {
  Json fix = Json::array();
  for (const TextEdit& edit : diagnostic.fix) {
    Json replacement = Span(lines.Positions(diagnostic.file, edit.offset, edit.length));
    replacement["text"] = edit.text;
    fix.push_back(std::move(replacement));
  }
  return {{"file", diagnostic.file},
          {"check", diagnostic.check},
          {"severity", diagnostic.error ? "error" : "warning"},
          {"message", diagnostic.message},
          {"range", Span(lines.Positions(diagnostic.file, diagnostic.offset, diagnostic.length))},
          {"fix", std::move(fix)}};
}

Json FileJson(const Report& report, const SourceLines& lines, const InspectedFile& file) {
  const auto source = report.sources.find(file.path);
  Json json = {{"path", file.path},
               {"encoding", source == report.sources.end() ? "" : EncodingName(source->second)},
               {"inspected", !file.failed}};
  if (file.failed) json["error"] = file.error;
  if (!file.note.empty()) json["note"] = file.note;
  if (!file.warnings.empty()) json["warnings"] = file.warnings;
  json["diagnostics"] = Json::array();
  for (const Diagnostic& diagnostic : file.diagnostics) json["diagnostics"].push_back(DiagnosticJson(lines, diagnostic));
  return json;
}

}  // namespace

std::string DumpJson(const Json& json) {
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string JsonReport(const Report& report) {
  Json json = {{"version", kSchemaVersion}, {"tool", "zoci"}, {"engine", report.engineVersion}, {"positions", "utf-16"}};
  json["files"] = Json::array();
  const SourceLines lines(report);
  for (const InspectedFile& file : report.files) json["files"].push_back(FileJson(report, lines, file));
  return DumpJson(json);
}

}  // namespace zoci
