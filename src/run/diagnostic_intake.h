// Turns the engine's exported fixes of one run into a RunResult: the outcome
// code and the converted diagnostics.
#pragma once

#include <memory>
#include <string>

#include "contract/engine_interface.h"
#include "interop/inspection_settings.h"
#include "interop/run_result.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Status 1 for an empty YAML, 102 when it cannot be read or names no main
/// file (as `engine` reads it), else 0 with the diagnostics converted; a diagnostic whose
/// conversion fails adds one "*** exception: " line to `errorText`. Compiler
/// errors without a position are reported at the start of the main file.
std::unique_ptr<RunResult> DiagnosticIntake(IZOClangTidy& engine, const std::string& fixesYaml, uint32_t modeFlags,
                                            const InspectionSettings& settings, std::string& runLog,
                                            std::string& errorText, const std::string& fixlessChecks);

}  // namespace Quillfern::ZoCodeInspections::Native
