// What one parse request returns to the host. Field order is part of the
// host interface.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "interop/qfix.h"

namespace Quillfern::ZoCodeInspections::Native {

/// A 16-byte GUID.
using Guid = std::array<uint8_t, 16>;

/// Outcome codes of a run; 100 or more counts as failed.
namespace RunStatus {
inline constexpr int32_t diagnosticsRead = 0;
inline constexpr int32_t emptyFixes = 1;
inline constexpr int32_t skippedByDirective = 2;
inline constexpr int32_t incompatibleEncoding = 101;
inline constexpr int32_t notRun = 102;
}  // namespace RunStatus

struct RunResult {
  std::vector<qfix> qfixes;
  int32_t status = RunStatus::notRun;
  int32_t parseNumber = 0;  ///< numbers the process's runs from 1
  Guid runId{};
  int64_t startTime = 0;  ///< seconds since 1970, before the engine call
  int64_t endTime = 0;    ///< seconds since 1970, after the diagnostic intake
  std::string parametersText;
  std::string yamlText;
  std::string logText;
  std::string errorText;
  /// Absolute paths of the files the compiler looked for (read, or probed and
  /// not found) once it started; with the main file, what the result depends on.
  std::vector<std::string> filesRead;
};

}  // namespace Quillfern::ZoCodeInspections::Native
