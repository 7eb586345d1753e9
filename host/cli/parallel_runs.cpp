// Concurrent inspections (see parallel_runs.h). Each thread takes the next
// job in turn; each job has a parser of its own.
#include "parallel_runs.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace zoci {
namespace {

/// "m:ss" of a number of seconds.
std::string Clock(double seconds) {
  const auto whole = std::lround(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

/// "[ 37/412] src/foo.cpp  0:12, about 1:40 left", redrawn in place on a
/// terminal; the estimate assumes the files left take as long as those done.
class ProgressLine {
 public:
  ProgressLine(size_t total, bool wanted)
      : total_(total), shown_(wanted && total > 1 && isatty(STDERR_FILENO)), start_(std::chrono::steady_clock::now()) {}
  ~ProgressLine() {
    if (shown_) std::fputs("\r\033[K", stderr);
  }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Done(const std::string& path) {
    if (!shown_) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    const double left = elapsed.count() / static_cast<double>(done_) * static_cast<double>(total_ - done_);
    const int width = static_cast<int>(std::to_string(total_).size());
    std::fprintf(stderr, "\r\033[K[%*zu/%zu] %s  %s, about %s left", width, done_, total_, path.c_str(),
                 Clock(elapsed.count()).c_str(), Clock(left).c_str());
    std::fflush(stderr);
  }

 private:
  size_t total_;
  bool shown_;
  std::chrono::steady_clock::time_point start_;
  size_t done_ = 0;
  std::mutex mutex_;
};

}  // namespace

std::vector<FileOutcome> InspectAll(const Inspector& inspector, const std::vector<FileJob>& fileJobs, unsigned jobs,
                                    bool progressWanted) {
  std::vector<FileOutcome> outcomes(fileJobs.size());
  std::atomic<size_t> next{0};
  ProgressLine progress(fileJobs.size(), progressWanted);
  const auto work = [&] {
    for (size_t i = next++; i < fileJobs.size(); i = next++) {
      outcomes[i] = inspector.Inspect(fileJobs[i]);
      progress.Done(fileJobs[i].path);
    }
  };
  std::vector<std::thread> threads;
  const size_t extra = std::min<size_t>(jobs, fileJobs.size()) - (fileJobs.empty() ? 0 : 1);
  threads.reserve(extra);
  for (size_t i = 0; i < extra; ++i) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  return outcomes;
}

}  // namespace zoci
