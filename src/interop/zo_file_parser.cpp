#include "interop/zo_file_parser.h"

#include <utility>

#include "hostlib/zoipc.h"
#include "interop/service.h"
#include "run/command_line.h"
#include "run/run_driver.h"

namespace Quillfern::ZoCodeInspections::Native {

ZoFileParser::ZoFileParser(std::string filePath, const InspectionSettings& fileSettings)
    : path(std::move(filePath)), settings(fileSettings), parseMutex(std::make_unique<std::mutex>()) {}

ZoFileParser::~ZoFileParser() = default;

void ZoFileParser::SetEnabled(bool on) { enabled = on; }

std::optional<CommandLine> ZoFileParser::BuildCommandLine(uint32_t modeFlags,
                                                          const std::string& checks,
                                                          const CheckOptions& checkOptions) {
  return Native::BuildCommandLine(path, settings, modeFlags, checks, checkOptions);
}

std::unique_ptr<RunResult> ZoFileParser::Parse(uint32_t modeFlags,
                                               const UnsavedBuffers& unsavedBuffers,
                                               const std::string& checks,
                                               const std::string& fixlessChecks,
                                               CheckOptions& checkOptions) {
  if (!enabled) {
    Logging::Log(Logging::Level::notice, "Disabled before parse -- skipping");
    return nullptr;
  }
  if (settings.skipRun) return std::make_unique<RunResult>();
  std::lock_guard lock(*parseMutex);
  std::optional<CommandLine> commandLine = BuildCommandLine(modeFlags, checks, checkOptions);
  if (!commandLine) return nullptr;
  std::unique_ptr<RunResult> result = RunOnWorker(path, unsavedBuffers, &settings, modeFlags,
                                                  &fixlessChecks, &checkOptions, &*commandLine);
  if (!result || !enabled) return nullptr;
  return result;
}

std::string ZoFileParser::GetPath() { return path; }

IZoFileParser* ZoCodeInspectionsInterop2::CreateFileParser(std::string filePath,
                                                           const InspectionSettings& fileSettings) {
  return new ZoFileParser(std::move(filePath), fileSettings);
}

}  // namespace Quillfern::ZoCodeInspections::Native
