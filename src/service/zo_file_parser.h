// The file parser: the host's handle for inspecting one file with one fixed
// set of settings. Requests on one parser run one after another; requests on
// different parsers run concurrently.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "interop/file_parser.h"
#include "service/service_state.h"

namespace Quillfern::ZoCodeInspections::Native {

class ZoFileParser final : public IZoFileParser {
 public:
  /// `state` is the creating service's; it outlives the parser.
  ZoFileParser(std::string path, InspectionSettings settings, ServiceState& state);
  ~ZoFileParser() override;

  void SetEnabled(bool on) override;
  std::optional<CommandLine> BuildCommandLine(uint32_t modeFlags, const std::string& checks,
                                              const CheckOptions& checkOptions) override;
  /// Empty when switched off (before or during the run), for a header that
  /// may not be inspected, or when the run could not be made.
  std::unique_ptr<RunResult> Parse(uint32_t modeFlags, const UnsavedBuffers& unsavedBuffers, const std::string& checks,
                                   const std::string& fixlessChecks, CheckOptions& checkOptions) override;
  std::string GetPath() override;

 private:
  /// Parse's steps; whatever they throw becomes a failed result.
  std::unique_ptr<RunResult> GuardedParse(uint32_t modeFlags, const UnsavedBuffers& unsavedBuffers,
                                          const std::string& checks, const std::string& fixlessChecks,
                                          CheckOptions& checkOptions);

  ServiceState& state;
  std::string path;
  InspectionSettings settings;
  std::unique_ptr<std::mutex> parseMutex;
  std::atomic<bool> enabled{true};  // written by any thread, read at both ends of Parse
};

}  // namespace Quillfern::ZoCodeInspections::Native
