// The server's messages to the client, written without any of the server's
// locks held and in the order the server decided them: a message is posted
// (queued) while the server holds its lock, and written by Flush once the
// lock is released, by whichever thread flushes first.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include <nlohmann/json.hpp>

namespace zoci {

class Outbox {
 public:
  /// Writes one message to the client.
  using Send = std::function<void(const nlohmann::json&)>;

  explicit Outbox(Send send) : send_(std::move(send)) {}

  /// Queues `message` behind every message posted before it.
  void Post(nlohmann::json message);
  /// Returns once every message posted so far (by any thread) is written.
  /// Never call it while holding a lock that Post's callers take.
  void Flush();

 private:
  Send send_;
  std::mutex mutex_;
  std::condition_variable written_;
  std::deque<nlohmann::json> queue_;
  uint64_t posted_ = 0;
  uint64_t sent_ = 0;
  bool writing_ = false;  ///< a thread writes the queue
};

}  // namespace zoci
