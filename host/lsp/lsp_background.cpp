// The language server's background thread (see lsp_background.h).
#include "lsp_background.h"

#include <utility>

namespace zoci {

BackgroundWork::~BackgroundWork() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void BackgroundWork::Post(std::function<void()> work) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(work));
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  }
  wake_.notify_one();
}

void BackgroundWork::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    std::function<void()> work = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    try {
      work();
    } catch (...) {
      // Posted work answers its own failures; one it could not report ends
      // here rather than the server.
    }
    lock.lock();
  }
}

}  // namespace zoci
