// The messages a language server has received and not yet handled, with the
// client's cancellations. A reader thread puts messages in as they arrive, the
// dispatching thread takes them in order, and a "$/cancelRequest" marks its
// request as cancelled at once, whether it still waits or is being handled.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

namespace zoci {

/// One received frame: a message, or the reason the frame was unusable.
struct Incoming {
  nlohmann::json message;
  std::string error;  ///< not empty for an unusable frame
};

/// The incoming message of a frame's body; an `error` when it is not JSON.
Incoming Parsed(const std::string& body);

class Inbox {
 public:
  /// Queues `incoming`, or records the cancellation it carries.
  void Put(Incoming incoming);
  /// Marks the end of the input: Take answers none once the queue is empty.
  void Close();
  /// The next message, waiting for one; none after Close and the last message.
  /// The request it carries counts as in flight until the next Take.
  std::optional<Incoming> Take();
  /// True when the client cancelled the request `id` while it waited or ran.
  bool Cancelled(const nlohmann::json& id) const;
  /// Keeps the request `id` in flight after the next Take (it is answered
  /// later, off the message thread), or, with `running` false, lets it go.
  void KeepRunning(const nlohmann::json& id, bool running);

 private:
  /// True when the request `id` waits in the queue or is in flight.
  bool Pending(const std::string& id) const;

  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<Incoming> queue_;
  std::string inFlight_;          ///< the id, as JSON text, of the request taken last
  std::set<std::string> cancelled_;  ///< ids, as JSON text
  std::set<std::string> running_;    ///< ids, as JSON text, of requests answered later
  bool closed_ = false;
};

}  // namespace zoci
