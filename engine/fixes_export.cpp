#include "fixes_export.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include <ClangTidy.h>
#include <ClangTidyDiagnosticConsumer.h>
#include <llvm/Support/raw_ostream.h>

#include "yaml_bytes.h"

namespace zoe {

namespace {

using clang::tidy::ClangTidyError;

/// Diagnostics written at once.
constexpr size_t kDiagnosticsPerSlice = 256;

/// Where the writer's document header ends: after the diagnostics key.
constexpr std::string_view kHeaderEnd = "\nDiagnostics:\n";
/// How the writer ends a document.
constexpr std::string_view kDocumentEnd = "...";

/// The whole document of `errors` as clang-tidy writes it.
std::string Document(const std::string& mainFile, const std::vector<ClangTidyError>& errors) {
  std::string yaml;
  llvm::raw_string_ostream stream(yaml);
  clang::tidy::exportReplacements(mainFile, errors, stream);
  return yaml;
}

std::vector<ClangTidyError> AllForYaml(std::vector<ClangTidyError> errors) {
  for (ClangTidyError& error : errors) static_cast<clang::tooling::Diagnostic&>(error) = ForYaml(error);
  return errors;
}

/// The items of a slice's document, when it has the header `header` and
/// the writer's end.
std::optional<std::string_view> Items(std::string_view document, std::string_view header) {
  if (document.substr(0, header.size()) != header) return std::nullopt;
  const size_t end = document.rfind(kDocumentEnd);
  if (end == std::string_view::npos || end < header.size() ||
      document.find_first_not_of('\n', end + kDocumentEnd.size()) != std::string_view::npos) {
    return std::nullopt;
  }
  return document.substr(header.size(), end - header.size());
}

/// The document written slice by slice; absent when a slice's document does
/// not have the expected shape.
std::optional<std::string> SlicedDocument(const std::string& mainFile, const std::vector<ClangTidyError>& errors) {
  std::string yaml;
  std::string tail;
  std::string header;
  for (size_t first = 0; first < errors.size(); first += kDiagnosticsPerSlice) {
    const size_t end = std::min(errors.size(), first + kDiagnosticsPerSlice);
    const std::string slice =
        Document(mainFile, AllForYaml(std::vector<ClangTidyError>(errors.begin() + static_cast<std::ptrdiff_t>(first),
                                                                  errors.begin() + static_cast<std::ptrdiff_t>(end))));
    if (first == 0) {
      const size_t headerEnd = slice.find(kHeaderEnd);
      if (headerEnd == std::string::npos) return std::nullopt;
      header = slice.substr(0, headerEnd + kHeaderEnd.size());
      tail = slice.substr(slice.rfind(kDocumentEnd) == std::string::npos ? slice.size() : slice.rfind(kDocumentEnd));
      yaml = header;
      // Each slice writes about as much (a quarter more leaves room for
      // offsets with more digits): room for all at once, never doubled.
      yaml.reserve(slice.size() / (end - first) * errors.size() / 4 * 5 + slice.size());
    }
    const std::optional<std::string_view> items = Items(slice, header);
    if (!items) return std::nullopt;
    yaml += *items;
  }
  yaml += tail;
  return yaml;
}

}  // namespace

std::string ExportedFixesYaml(llvm::StringRef mainFile, const std::vector<ClangTidyError>& errors) {
  const std::string main = BytesForYaml(mainFile);
  if (errors.empty()) return Document(main, errors);
  if (std::optional<std::string> yaml = SlicedDocument(main, errors)) return std::move(*yaml);
  return Document(main, AllForYaml(errors));
}

}  // namespace zoe
