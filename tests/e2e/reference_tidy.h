// The clang-tidy binary of the engine's LLVM as the reference for the
// end-to-end tests: the same request run by the binary, and the parts of the
// outputs that are the engine's own left out before comparing.
#pragma once

#include <functional>
#include <string>

#include "engine_driver.h"
#include "support/temp_dir.h"

namespace zotest {

struct ReferenceRun {
  int exitCode = -1;
  std::string diagnostics;
  std::string errors;
  std::string fixesYaml;
};

/// Runs the binary with the request's arguments from the main file's folder;
/// the compiler arguments follow "--". `scratch` receives its outputs.
ReferenceRun RunReference(const EngineRequest& request, const TempDir& scratch);

/// The error stream without its closing summary (warnings generated, warnings
/// suppressed and the hint that follows), whose counts are the engine's own.
std::string WithoutSummary(const std::string& errors);

/// The standard output without the engine's run-log lines (its preamble use).
std::string WithoutRunLog(const std::string& diagnostics);

/// Expects the engine's run to give the binary's outputs: standard output,
/// exported fixes, error stream and exit code, each passed through `same`
/// first (the engine's own parts are left out already).
void ExpectTheBinarysOutputs(const EngineRunResult& engine, const ReferenceRun& reference,
                             const std::function<std::string(const std::string&)>& same = {});

}  // namespace zotest
