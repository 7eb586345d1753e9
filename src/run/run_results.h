// The results of runs, each numbered: every run, whatever its outcome, takes
// the next parse number of its service and a new run id.
#pragma once

#include <atomic>
#include <memory>

#include "interop/run_result.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Hands out parse numbers, from 1.
class ParseCounter {
 public:
  /// An empty result (status notRun) with the next parse number and a new id.
  std::unique_ptr<RunResult> NewRunResult();

 private:
  std::atomic<int32_t> count_{0};
};

}  // namespace Quillfern::ZoCodeInspections::Native
