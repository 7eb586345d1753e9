// The run driver: makes exactly one engine run for one parse request (or
// none when the main file's own directives or encoding exclude it), on a
// fresh worker thread with a large stack, and assembles the RunResult.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "contract/engine_interface.h"
#include "interop/file_parser.h"
#include "interop/inspection_settings.h"
#include "interop/run_result.h"
#include "run/run_state.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Stack size of the worker thread that runs the engine.
inline constexpr size_t kWorkerStackBytes = 32u << 20;

/// How much a run writes into its result.
enum class RunLogging {
  normal,
  /// The result also gets the fixes YAML with the converted results
  /// (yamlText) and the files report at the end of its log.
  detailed,
};

/// The conversion settings of a run: ANSI files are converted unless
/// BOM-less files count as UTF-8, and UTF-8 is detected when the editor does.
ConversionSettings ConversionSettingsOf(const InspectionSettings& settings, uint32_t modeFlags);

/// One parse request: the file, the host's inputs and settings, the engine
/// that runs it and the state the service's runs share. The references must
/// outlive the run.
struct RunRequest {
  IZOClangTidy& engine;
  RunState& state;
  std::string_view mainFile;
  const UnsavedBuffers& unsavedBuffers;
  const InspectionSettings& settings;
  uint32_t modeFlags = 0;
  const std::string& fixlessChecks;
  CheckOptions& checkOptions;
  const CommandLine& commandLine;
  ConversionSettings conversion;
  RunLogging logging = RunLogging::normal;
};

/// Runs one inspection and waits for it. Empty when the engine speaks
/// another interface or the worker thread could not be started; otherwise
/// always a result (failures are described in its errorText).
std::unique_ptr<RunResult> RunOnWorker(const RunRequest& request);

}  // namespace Quillfern::ZoCodeInspections::Native
