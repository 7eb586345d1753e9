// The server's outgoing messages (see lsp_outbox.h).
#include "lsp_outbox.h"

#include <utility>

namespace zoci {

void Outbox::Post(nlohmann::json message) {
  const std::lock_guard<std::mutex> lock(mutex_);
  queue_.push_back(std::move(message));
  ++posted_;
}

// One thread writes at a time, so messages leave in the order posted; the
// others wait until their own messages are out.
void Outbox::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t mine = posted_;
  while (sent_ < mine) {
    if (writing_) {
      written_.wait(lock);
      continue;
    }
    writing_ = true;
    while (!queue_.empty()) {
      const nlohmann::json message = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      try {
        send_(message);
      } catch (...) {
        // The client's stream failed: the message is lost with the client.
      }
      lock.lock();
      ++sent_;
      written_.notify_all();
    }
    writing_ = false;
    written_.notify_all();
  }
}

}  // namespace zoci
