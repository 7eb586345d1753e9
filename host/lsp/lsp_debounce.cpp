// The adaptive wait after a change (see lsp_debounce.h).
#include "lsp_debounce.h"

#include <algorithm>
#include <vector>

namespace zoci {

Debounce::Duration Debounce::Wait() const {
  if (recent_.empty()) return policy_.shortest;
  std::vector<Duration> sorted(recent_.begin(), recent_.end());
  const auto median = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
  std::nth_element(sorted.begin(), median, sorted.end());
  const auto share = std::chrono::duration_cast<Duration>(*median * policy_.shareOfRun);
  return std::clamp(share, policy_.shortest, policy_.longest);
}

void Debounce::Ran(Duration took) {
  recent_.push_back(took);
  while (recent_.size() > std::max<size_t>(policy_.runsKept, 1)) recent_.pop_front();
}

}  // namespace zoci
