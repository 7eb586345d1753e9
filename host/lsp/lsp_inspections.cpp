// The language server's runs through the library (see lsp_inspections.h).
#include "lsp_inspections.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "interop/interop2.h"
#include "library_setup.h"
#include "text_lines.h"

namespace zoci {
namespace {

namespace Native = Quillfern::ZoCodeInspections::Native;

/// `diagnostic`'s place in its own file, as "path:line:column".
std::string PlaceOf(const Diagnostic& diagnostic, const std::map<std::string, HostText>& sources) {
  const auto source = sources.find(diagnostic.file);
  Position position{1, diagnostic.offset + 1};
  if (source != sources.end()) position = LineIndex(source->second.text).PositionOf(diagnostic.offset);
  return diagnostic.file + ":" + std::to_string(position.line) + ":" + std::to_string(position.column);
}

/// One error at the start of the document for the compiler errors of the
/// files it includes, or none. The editor shows only the document, and a
/// document that does not compile because of a header (or of a template the
/// document instantiates there) must not look clean.
std::optional<Diagnostic> IncludedErrors(const std::vector<Diagnostic>& elsewhere,
                                         const std::map<std::string, HostText>& sources) {
  const auto first = std::find_if(elsewhere.begin(), elsewhere.end(), std::mem_fn(&Diagnostic::CompilerError));
  if (first == elsewhere.end()) return std::nullopt;
  const auto count = std::count_if(first, elsewhere.end(), std::mem_fn(&Diagnostic::CompilerError));
  Diagnostic folded;
  folded.check = first->check;
  folded.error = true;
  folded.message =
      count == 1 ? "in an included file, " : std::to_string(count) + " errors in included files; the first, ";
  folded.message += PlaceOf(*first, sources) + ": " + first->message;
  return folded;
}

}  // namespace

std::string EngineInspections::Start(const Options& options) {
  if (started_) return "already started";
  options_ = options;
  if (std::string error = project_.Start(options_); !error.empty()) return error;
  if (std::string error; !InitializeLibrary(options_, error)) {
    return "the inspection library could not be initialised: " + error;
  }
  started_ = true;
  return {};
}

DocumentRun EngineInspections::Inspect(const DocumentSnapshot& snapshot,
                                       const std::shared_ptr<ParserSwitch>& parserSwitch) {
  std::string projectWarning;
  const std::shared_ptr<const Inspector> inspector = project_.Current(projectWarning);
  FileOutcome outcome = inspector->Inspect(FileJob{snapshot.path, std::nullopt, snapshot.buffers, parserSwitch});
  if (outcome.file.failed && !parserSwitch->IsOff()) std::fprintf(stderr, "zoci lsp: %s\n", outcome.file.error.c_str());
  if (!projectWarning.empty()) outcome.file.warnings.push_back(projectWarning);
  DocumentRun run{std::move(outcome.file), std::move(outcome.logText), std::move(outcome.filesRead)};
  // What the run reported in the headers the document includes is not the
  // document's, except that their errors keep the document from compiling.
  std::vector<Diagnostic> own, elsewhere;
  for (Diagnostic& diagnostic : run.file.diagnostics) {
    (diagnostic.file == snapshot.path ? own : elsewhere).push_back(std::move(diagnostic));
  }
  if (std::optional<Diagnostic> included = IncludedErrors(elsewhere, outcome.sources)) {
    own.insert(own.begin(), std::move(*included));
  }
  run.file.diagnostics = std::move(own);
  return run;
}

std::vector<TextEdit> EngineInspections::FinalFix(int32_t token) {
  return EditsOf(Native::interop2().GetFixReplacements(static_cast<uint32_t>(token)).replacements)
      .value_or(std::vector<TextEdit>());
}

std::optional<std::vector<TextEdit>> EngineInspections::FinalFixes(const std::vector<int32_t>& tokens) {
  return FinalEditsTogether(tokens);
}

}  // namespace zoci
