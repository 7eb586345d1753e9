#include "shared_state_checks.h"

namespace zoe {

namespace {

constexpr std::string_view kChecksWithProcessState[] = {
    "bugprone-bad-signal-to-kill-thread",
    "cert-pos44-c",
    "bugprone-not-null-terminated-result",
};

std::mutex& TurnMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

std::unique_lock<std::mutex> TakeTurnIfNeeded(const std::function<bool(std::string_view)>& isEnabled) {
  for (std::string_view check : kChecksWithProcessState) {
    if (isEnabled(check)) return std::unique_lock<std::mutex>(TurnMutex());
  }
  return {};
}

}  // namespace zoe
