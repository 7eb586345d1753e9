// The language server's runs through the library (see lsp_inspections.h).
#include "lsp_inspections.h"

#include <algorithm>
#include <cstdio>

#include "interop/interop2.h"
#include "library_setup.h"

namespace zoci {
namespace {

namespace Native = Quillfern::ZoCodeInspections::Native;

}  // namespace

std::string EngineInspections::Start(const Options& options) {
  if (inspector_) return "already started";
  options_ = options;
  std::optional<TidyConfig> config;
  std::optional<CompileDatabase> database;
  std::string error;
  if (!LoadProjectFiles(options_, config, database, error)) return error;
  if (!InitializeLibrary(options_, error)) return "the inspection library could not be initialised: " + error;
  inspector_.emplace(options_, std::move(database), std::move(config));
  return {};
}

DocumentRun EngineInspections::Inspect(const DocumentSnapshot& snapshot,
                                       const std::shared_ptr<ParserSwitch>& parserSwitch) {
  FileOutcome outcome = inspector_->Inspect(FileJob{snapshot.path, std::nullopt, snapshot.buffers, parserSwitch});
  if (outcome.file.failed && !parserSwitch->IsOff()) std::fprintf(stderr, "zoci lsp: %s\n", outcome.file.error.c_str());
  DocumentRun run{std::move(outcome.file), std::move(outcome.logText)};
  // What the run reported in the headers the document includes is not the document's.
  std::vector<Diagnostic>& diagnostics = run.file.diagnostics;
  diagnostics.erase(std::remove_if(diagnostics.begin(), diagnostics.end(),
                                   [&](const Diagnostic& diagnostic) { return diagnostic.file != snapshot.path; }),
                    diagnostics.end());
  return run;
}

std::vector<TextEdit> EngineInspections::FinalFix(int32_t token) {
  return EditsOf(Native::interop2().GetFixReplacements(static_cast<uint32_t>(token)).replacements);
}

}  // namespace zoci
