// The host's handle for inspecting one source file with one fixed set of
// project settings. Slot order is part of the host interface.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>

#include "interop/inspection_settings.h"
#include "interop/run_result.h"

namespace Quillfern::ZoCodeInspections::Native {

/// A compiler command line in plugin form.
using CommandLine = std::list<std::string>;

class IZoFileParser {
 public:
  virtual ~IZoFileParser() = default;
  /// Switches the parser on or off; a switched-off parser refuses requests
  /// and discards the result of one under way.
  virtual void SetEnabled(bool enabled) = 0;
  /// The plugin-form command line; absent for a header file that may not be
  /// inspected.
  virtual std::optional<CommandLine> BuildCommandLine(uint32_t modeFlags, const std::string& checks,
                                                      const CheckOptions& checkOptions) = 0;
  /// Runs one inspection; empty when nothing was produced.
  virtual std::unique_ptr<RunResult> Parse(uint32_t modeFlags, const UnsavedBuffers& unsavedBuffers,
                                           const std::string& checks, const std::string& fixlessChecks,
                                           CheckOptions& checkOptions) = 0;
  /// The path exactly as given at creation.
  virtual std::string GetPath() = 0;
};

}  // namespace Quillfern::ZoCodeInspections::Native
