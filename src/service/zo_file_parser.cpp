#include "service/zo_file_parser.h"

#include <exception>
#include <utility>

#include "hostlib/zoipc.h"
#include "run/command_line.h"
#include "run/run_driver.h"
#include "run/run_results.h"
#include "service/service.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// A failed run's result carrying what went wrong.
std::unique_ptr<RunResult> FailedResult(ParseCounter& parses, std::string errorText) {
  auto result = parses.NewRunResult();
  result->errorText = std::move(errorText);
  return result;
}

}  // namespace

ZoFileParser::ZoFileParser(std::string filePath, InspectionSettings fileSettings, ServiceState& serviceState)
    : state(serviceState),
      path(std::move(filePath)),
      settings(std::move(fileSettings)),
      parseMutex(std::make_unique<std::mutex>()) {}

ZoFileParser::~ZoFileParser() = default;

void ZoFileParser::SetEnabled(bool on) { enabled = on; }

std::optional<CommandLine> ZoFileParser::BuildCommandLine(uint32_t modeFlags, const std::string& checks,
                                                          const CheckOptions& checkOptions) {
  try {
    return Native::BuildCommandLine(path, settings, modeFlags, checks, checkOptions);
  } catch (const std::exception& e) {
    Logging::Log(Logging::Level::error, std::string("BuildCommandLine failed: ") + e.what());
    return std::nullopt;
  }
}

std::unique_ptr<RunResult> ZoFileParser::Parse(uint32_t modeFlags, const UnsavedBuffers& unsavedBuffers,
                                               const std::string& checks, const std::string& fixlessChecks,
                                               CheckOptions& checkOptions) {
  try {
    return GuardedParse(modeFlags, unsavedBuffers, checks, fixlessChecks, checkOptions);
  } catch (const std::exception& e) {
    return FailedResult(state.runs.parses, std::string("*** exception/2: ") + e.what() + "\n");
  } catch (...) {
    return FailedResult(state.runs.parses, "*** exception/3\n");
  }
}

std::unique_ptr<RunResult> ZoFileParser::GuardedParse(uint32_t modeFlags, const UnsavedBuffers& unsavedBuffers,
                                                      const std::string& checks, const std::string& fixlessChecks,
                                                      CheckOptions& checkOptions) {
  if (!enabled) {
    Logging::Log(Logging::Level::notice, "Disabled before parse -- skipping");
    return nullptr;
  }
  if (settings.skipRun) return state.runs.parses.NewRunResult();
  std::lock_guard lock(*parseMutex);
  std::optional<CommandLine> commandLine = Native::BuildCommandLine(path, settings, modeFlags, checks, checkOptions);
  if (!commandLine) return nullptr;
  // An engine that cannot be loaded throws; Parse turns that into the result.
  const RunRequest request{state.engine.Get(),
                           state.runs,
                           path,
                           unsavedBuffers,
                           settings,
                           modeFlags,
                           fixlessChecks,
                           checkOptions,
                           *commandLine,
                           ConversionSettingsOf(settings, modeFlags),
                           state.detailedLogging ? RunLogging::detailed : RunLogging::normal};
  std::unique_ptr<RunResult> result = RunOnWorker(request);
  if (!result || !enabled) return nullptr;
  return result;
}

std::string ZoFileParser::GetPath() { return path; }

IZoFileParser* ZoCodeInspectionsInterop2::CreateFileParser(std::string filePath,
                                                           const InspectionSettings& fileSettings) {
  try {
    return new ZoFileParser(std::move(filePath), fileSettings, state_);
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace Quillfern::ZoCodeInspections::Native
