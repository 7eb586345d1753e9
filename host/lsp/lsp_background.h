// Work the language server does off its message thread (a "Fix all" asks the
// engine for every fix of a check), one piece at a time in the order posted,
// so that the messages that arrive meanwhile are still answered.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zoci {

class BackgroundWork {
 public:
  BackgroundWork() = default;
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;
  /// Drops the work not yet started and waits for the piece under way.
  ~BackgroundWork();

  /// Queues `work`; the thread is started with the first piece.
  void Post(std::function<void()> work);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace zoci
