// Concurrent inspections (see parallel_runs.h). Each thread takes the next
// job in turn; each job has a parser of its own.
#include "parallel_runs.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace zoci {
namespace {

/// "[=====>    ] 3/10 file.cpp" redrawn in place on a terminal.
class ProgressBar {
 public:
  explicit ProgressBar(size_t total) : total_(total), shown_(total > 1 && isatty(STDERR_FILENO)) {}
  ~ProgressBar() {
    if (shown_) std::fputs("\r\033[K", stderr);
  }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Done(const std::string& path) {
    if (!shown_) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    constexpr size_t kWidth = 30;
    const size_t filled = done_ * kWidth / total_;
    std::fprintf(stderr, "\r\033[K[%s%s] %zu/%zu %s", std::string(filled, '=').c_str(),
                 std::string(kWidth - filled, ' ').c_str(), done_, total_, path.c_str());
    std::fflush(stderr);
  }

 private:
  size_t total_;
  bool shown_;
  size_t done_ = 0;
  std::mutex mutex_;
};

}  // namespace

std::vector<FileOutcome> InspectAll(const Inspector& inspector, const std::vector<FileJob>& fileJobs, unsigned jobs) {
  std::vector<FileOutcome> outcomes(fileJobs.size());
  std::atomic<size_t> next{0};
  ProgressBar progress(fileJobs.size());
  const auto work = [&] {
    for (size_t i = next++; i < fileJobs.size(); i = next++) {
      outcomes[i] = inspector.Inspect(fileJobs[i]);
      progress.Done(fileJobs[i].path);
    }
  };
  std::vector<std::thread> threads;
  const size_t extra = std::min<size_t>(jobs, fileJobs.size()) - (fileJobs.empty() ? 0 : 1);
  for (size_t i = 0; i < extra; ++i) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  return outcomes;
}

}  // namespace zoci
