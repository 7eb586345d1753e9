// How long a changed document waits before it is inspected. The wait lets
// a burst of keystrokes end in one run instead of one per keystroke, yet
// stays a small part of the edit's latency: a fraction of how long the
// recent runs took, within bounds. An opened document does not wait.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>

namespace zoci {

class Debounce {
 public:
  using Duration = std::chrono::steady_clock::duration;

  struct Policy {
    Duration shortest = std::chrono::milliseconds(25);
    Duration longest = std::chrono::milliseconds(250);
    double shareOfRun = 0.25;  ///< of the median of the recent runs
    size_t runsKept = 8;
  };

  Debounce() = default;
  explicit Debounce(Policy policy) : policy_(policy) {}

  /// The wait after a change: the shortest before any run has completed.
  Duration Wait() const;
  /// Counts a completed run's duration.
  void Ran(Duration took);

 private:
  Policy policy_;
  std::deque<Duration> recent_;  ///< oldest first
};

}  // namespace zoci
