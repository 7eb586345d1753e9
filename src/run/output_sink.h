// Decides which engine outputs a run captures in memory: the error stream
// (key 2), the standard output ("-") and the exported fixes ("zofixes.yaml").
#pragma once

#include <string>

#include "contract/engine_interface.h"

namespace Quillfern::ZoCodeInspections::Native {

/// The file name the engine is told to export its fixes to.
inline constexpr const char* kFixesFileName = "zofixes.yaml";

/// The three captured keys.
const OutputKey& ErrorStreamKey();
const OutputKey& StandardOutputKey();
const OutputKey& FixesFileKey();

/// The sink handed to the engine for one run. It remembers where the engine
/// keeps the captured outputs so the run can take them afterwards.
class OutputSink {
 public:
  /// True (and the map remembered) for the three captured keys only.
  bool operator()(const OutputKey& key, CapturedOutputs& outputs);
  /// The engine's map, or nullptr when no output was ever offered.
  CapturedOutputs* Captured() const { return captured_; }

 private:
  CapturedOutputs* captured_ = nullptr;
};

/// Moves the text captured under `key` out of the map; empty when none.
std::string TakeOutput(CapturedOutputs& outputs, const OutputKey& key);

}  // namespace Quillfern::ZoCodeInspections::Native
