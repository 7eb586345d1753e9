#include "interop/run_result.h"

#include <atomic>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {
std::atomic<int32_t> parseCounter{0};
}

RunResult::RunResult() : parseNumber(++parseCounter), runId(Platform::NewGuid()) {}

}  // namespace Quillfern::ZoCodeInspections::Native
