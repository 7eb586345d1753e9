// Turns the engine's exported fixes of one run into a RunResult: the outcome
// code and the converted diagnostics.
#pragma once

#include <string>

#include "buffers/source_cache.h"
#include "contract/engine_interface.h"
#include "interop/inspection_settings.h"
#include "interop/run_result.h"
#include "results/diagnostic_conversion.h"

namespace Quillfern::ZoCodeInspections::Native {

/// What the intake of one run reads and writes besides the YAML.
struct IntakeContext {
  IZOClangTidy& engine;  ///< reads the YAML
  CacheView& files;      ///< the run's view of the source cache
  uint32_t modeFlags = 0;
  const InspectionSettings& settings;
  const std::string& fixlessChecks;
  std::string& runLog;
  std::string& errorText;
  std::set<RecordKey>& fixesInOtherFiles;  ///< records whose fix also changes other files
};

/// Sets `result`'s status: 1 for an empty YAML, 102 when it cannot be read
/// or names no main file (as the engine reads it), else 0 with the
/// diagnostics converted; a diagnostic whose conversion fails adds one
/// "*** exception: " line to errorText. Compiler errors without a position
/// are reported at the start of the main file.
void DiagnosticIntake(const std::string& fixesYaml, const IntakeContext& context, RunResult& result);

}  // namespace Quillfern::ZoCodeInspections::Native
