#include "run/run_results.h"

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

std::unique_ptr<RunResult> ParseCounter::NewRunResult() {
  auto result = std::make_unique<RunResult>();
  result->parseNumber = ++count_;
  result->runId = Platform::NewGuid();
  return result;
}

}  // namespace Quillfern::ZoCodeInspections::Native
