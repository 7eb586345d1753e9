// The results of runs, each numbered: every run, whatever its outcome, takes
// the next parse number of the process and a new run id.
#pragma once

#include <memory>

#include "interop/run_result.h"

namespace Quillfern::ZoCodeInspections::Native {

/// An empty result (status notRun) with the next parse number and a new id.
std::unique_ptr<RunResult> NewRunResult();

}  // namespace Quillfern::ZoCodeInspections::Native
