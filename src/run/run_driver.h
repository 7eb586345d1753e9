// The run driver: makes exactly one engine run for one parse request (or
// none when the main file's own directives or encoding exclude it), on a
// fresh worker thread with a large stack, and assembles the RunResult.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "interop/file_parser.h"
#include "interop/inspection_settings.h"
#include "interop/run_result.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Stack size of the worker thread that runs the engine.
inline constexpr size_t kWorkerStackBytes = 32u << 20;

/// Runs one inspection of `mainFile` and waits for it. Empty when the engine
/// speaks another interface or the worker thread could not be started;
/// otherwise always a result (failures are described in its errorText).
std::unique_ptr<RunResult> RunOnWorker(std::string_view mainFile, UnsavedBuffers unsavedBuffers,
                                       const InspectionSettings* settings, uint32_t modeFlags,
                                       const std::string* fixlessChecks, CheckOptions* checkOptions,
                                       const CommandLine* commandLine);

}  // namespace Quillfern::ZoCodeInspections::Native
