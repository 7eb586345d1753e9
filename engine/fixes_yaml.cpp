#include "fixes_yaml.h"

#include "yaml_bytes.h"

#include <set>
#include <string_view>
#include <vector>

#include <clang/Tooling/Core/Diagnostic.h>
#include <clang/Tooling/DiagnosticsYaml.h>
#include <llvm/Support/SourceMgr.h>
#include <llvm/Support/YAMLTraits.h>

namespace zoe {

namespace {

/// Diagnostics parsed at once when the document is read piece by piece: the
/// YAML reader keeps a node tree of all it reads, several kilobytes per
/// diagnostic, so a run with a million diagnostics is read in slices.
constexpr size_t kDiagnosticsPerPiece = 256;

/// The line that opens the diagnostics sequence as clang-tidy writes it,
/// with the end of the line before.
constexpr std::string_view kDiagnosticsKeyLine = "\nDiagnostics:\n";
constexpr std::string_view kDiagnosticsKey = kDiagnosticsKeyLine.substr(1);
/// How each item of that sequence starts.
constexpr std::string_view kItemStart = "  - ";

void IgnoreYamlDiagnostic(const llvm::SMDiagnostic&, void*) {}

FixesDiagnostic Convert(const clang::tooling::Diagnostic& diagnostic) {
  FixesDiagnostic converted;
  converted.checkName = diagnostic.DiagnosticName;
  converted.message = BytesFromYaml(diagnostic.Message.Message);
  converted.filePath = BytesFromYaml(diagnostic.Message.FilePath);
  converted.offset = diagnostic.Message.FileOffset;
  converted.level = static_cast<int>(diagnostic.DiagLevel);
  for (const auto& [file, replacements] : diagnostic.Message.Fix) {
    std::set<FixReplacement>& group = converted.fix[BytesFromYaml(file)];
    for (const clang::tooling::Replacement& replacement : replacements) {
      group.insert(FixReplacement{BytesFromYaml(replacement.getFilePath()), replacement.getOffset(),
                                  replacement.getLength(), BytesFromYaml(replacement.getReplacementText())});
    }
  }
  return converted;
}

/// Parses `yaml` into `value` through its YAML traits; false on any error.
template <typename Value>
bool Parse(std::string_view yaml, Value& value) {
  llvm::yaml::Input input(llvm::StringRef(yaml.data(), yaml.size()), nullptr, IgnoreYamlDiagnostic);
  input >> value;
  return !input.error();
}

std::optional<FixesFile> ReadWhole(const std::string& yaml) {
  clang::tooling::TranslationUnitDiagnostics document;
  if (!Parse(yaml, document)) return std::nullopt;
  FixesFile fixes;
  fixes.mainSourceFile = BytesFromYaml(document.MainSourceFile);
  fixes.diagnostics.reserve(document.Diagnostics.size());
  for (const clang::tooling::Diagnostic& diagnostic : document.Diagnostics) {
    fixes.diagnostics.push_back(Convert(diagnostic));
  }
  return fixes;
}

/// The document in clang-tidy's layout: the top-level keys up to and
/// including the diagnostics key (last), the starts of the sequence's items,
/// and the sequence's end.
struct Layout {
  std::string_view header;
  std::vector<size_t> itemStarts;
  size_t itemsEnd = 0;
};

size_t NextLine(std::string_view text, size_t at) {
  const size_t end = text.find('\n', at);
  return end == std::string_view::npos ? text.size() : end + 1;
}

/// Whether what follows the sequence ends the document and nothing else.
bool EndsDocument(std::string_view tail) {
  if (tail.substr(0, 3) == "...") tail.remove_prefix(3);
  return tail.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

/// The layout of `text`; absent when it is not clang-tidy's, to be read whole.
std::optional<Layout> LayoutOf(std::string_view text) {
  size_t key = 0;
  if (text.substr(0, kDiagnosticsKey.size()) != kDiagnosticsKey) {
    key = text.find(kDiagnosticsKeyLine);
    if (key == std::string_view::npos) return std::nullopt;
    ++key;
  }
  Layout layout;
  layout.header = text.substr(0, key + kDiagnosticsKey.size());
  size_t at = layout.header.size();
  while (at < text.size() && text[at] == ' ') {
    if (text.substr(at, kItemStart.size()) == kItemStart) layout.itemStarts.push_back(at);
    at = NextLine(text, at);
  }
  layout.itemsEnd = at;
  const bool itemsFirst = !layout.itemStarts.empty() && layout.itemStarts.front() == layout.header.size();
  if (!itemsFirst || !EndsDocument(text.substr(at))) return std::nullopt;
  return layout;
}

/// Reads the document in slices of its diagnostics; absent when a slice does
/// not parse (the whole document then decides).
std::optional<FixesFile> ReadInPieces(std::string_view text, const Layout& layout) {
  clang::tooling::TranslationUnitDiagnostics header;
  if (!Parse(layout.header, header)) return std::nullopt;
  FixesFile fixes;
  fixes.mainSourceFile = BytesFromYaml(header.MainSourceFile);
  fixes.diagnostics.reserve(layout.itemStarts.size());
  for (size_t first = 0; first < layout.itemStarts.size(); first += kDiagnosticsPerPiece) {
    const size_t next = first + kDiagnosticsPerPiece;
    const size_t end = next < layout.itemStarts.size() ? layout.itemStarts[next] : layout.itemsEnd;
    std::vector<clang::tooling::Diagnostic> piece;
    if (!Parse(text.substr(layout.itemStarts[first], end - layout.itemStarts[first]), piece)) return std::nullopt;
    for (const clang::tooling::Diagnostic& diagnostic : piece) fixes.diagnostics.push_back(Convert(diagnostic));
  }
  return fixes;
}

}  // namespace

std::optional<FixesFile> ReadFixesYaml(const std::string& yaml) {
  if (const std::optional<Layout> layout = LayoutOf(yaml)) {
    if (std::optional<FixesFile> fixes = ReadInPieces(yaml, *layout)) return fixes;
  }
  return ReadWhole(yaml);
}

}  // namespace zoe
