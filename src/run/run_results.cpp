#include "run/run_results.h"

#include <atomic>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {
std::atomic<int32_t> parseCounter{0};
}

std::unique_ptr<RunResult> NewRunResult() {
  auto result = std::make_unique<RunResult>();
  result->parseNumber = ++parseCounter;
  result->runId = Platform::NewGuid();
  return result;
}

}  // namespace Quillfern::ZoCodeInspections::Native
