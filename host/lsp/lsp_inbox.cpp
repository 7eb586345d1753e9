// Received messages and cancellations (see lsp_inbox.h).
#include "lsp_inbox.h"

#include <algorithm>

namespace zoci {
namespace {

using nlohmann::json;

/// The id of a request as JSON text; empty for notifications and responses.
std::string RequestId(const json& message) {
  const bool request = message.is_object() && message.contains("id") && message.contains("method");
  return request ? message.at("id").dump() : std::string();
}

/// The id a "$/cancelRequest" names, as JSON text; empty for other messages.
std::string CancelledId(const json& message) {
  if (!message.is_object() || message.value("method", json()) != "$/cancelRequest") return {};
  const json params = message.value("params", json::object());
  return params.is_object() && params.contains("id") ? params.at("id").dump() : std::string();
}

/// Messages nested deeper than this are refused: the protocol needs a few
/// levels, and copying a message nests a call per level.
constexpr size_t kMaxDepth = 128;

/// The deepest nesting of arrays and objects in the JSON text `body` (strings skipped).
size_t NestingDepth(const std::string& body) {
  size_t depth = 0, deepest = 0;
  bool inString = false;
  for (size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

}  // namespace

Incoming Parsed(const std::string& body) {
  if (NestingDepth(body) > kMaxDepth) {
    return Incoming{json(),
                    "the message nests arrays and objects deeper than " + std::to_string(kMaxDepth) + " levels"};
  }
  try {
    return Incoming{json::parse(body), {}};
  } catch (const json::exception& failure) {
    return Incoming{json(), std::string("the message is not JSON: ") + failure.what()};
  }
}

void Inbox::Put(Incoming incoming) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (const std::string id = CancelledId(incoming.message); !id.empty()) {
      if (Pending(id)) cancelled_.insert(id);
      return;
    }
    queue_.push_back(std::move(incoming));
  }
  arrived_.notify_one();
}

void Inbox::Close() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  arrived_.notify_all();
}

std::optional<Incoming> Inbox::Take() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!running_.contains(inFlight_)) cancelled_.erase(inFlight_);
  inFlight_.clear();
  arrived_.wait(lock, [this] { return closed_ || !queue_.empty(); });
  if (queue_.empty()) return std::nullopt;
  Incoming next = std::move(queue_.front());
  queue_.pop_front();
  inFlight_ = RequestId(next.message);
  return next;
}

bool Inbox::Cancelled(const json& id) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_.contains(id.dump());
}

void Inbox::KeepRunning(const json& id, bool running) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const std::string key = id.dump();
  if (running) {
    running_.insert(key);
    return;
  }
  running_.erase(key);
  if (key != inFlight_) cancelled_.erase(key);
}

bool Inbox::Pending(const std::string& id) const {
  if (id == inFlight_ || running_.contains(id)) return true;
  return std::any_of(queue_.begin(), queue_.end(),
                     [&id](const Incoming& waiting) { return RequestId(waiting.message) == id; });
}

}  // namespace zoci
