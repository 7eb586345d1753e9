// One table from method names to the server's handlers. A handler gets its
// parameters typed (lsp_protocol.h); the table answers what no handler can:
// messages that are no request, unknown methods, malformed parameters,
// cancelled requests, and failures thrown by a handler. Notifications are
// never answered, and one that fails is dropped.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace zoci {

class DispatchTable {
 public:
  /// A request's result; none when it is answered later, off the message thread.
  using Result = std::optional<nlohmann::json>;

  /// Handles the request `method` with `handler(id, const Params&)`.
  template <class Params, class Handler>
  void OnRequest(const std::string& method, Handler handler) {
    requests_[method] = [handler = std::move(handler)](const nlohmann::json& id,
                                                       const nlohmann::json& params) -> Result {
      return handler(id, params.get<Params>());
    };
  }
  /// Handles the notification `method` with `handler(const Params&)`.
  template <class Params, class Handler>
  void OnNotification(const std::string& method, Handler handler) {
    notifications_[method] = [handler = std::move(handler)](const nlohmann::json& params) {
      handler(params.get<Params>());
    };
  }
  /// Takes the client's responses to the server's own requests.
  void OnResponse(std::function<void(const nlohmann::json&)> handler) { response_ = std::move(handler); }
  /// Runs before every handler; what it throws (an RpcError) answers a request and drops a notification.
  void GuardWith(std::function<void(const std::string& method)> guard) { guard_ = std::move(guard); }
  /// Whether the client cancelled the request with this id before it was handled.
  void CheckCancellationsWith(std::function<bool(const nlohmann::json& id)> cancelled) {
    cancelled_ = std::move(cancelled);
  }

  /// Handles one message; the answer to send, none when there is none (yet).
  std::optional<nlohmann::json> Dispatch(const nlohmann::json& message) const;

 private:
  using RequestHandler = std::function<Result(const nlohmann::json& id, const nlohmann::json& params)>;
  using NotificationHandler = std::function<void(const nlohmann::json& params)>;

  Result Request(const nlohmann::json& id, const std::string& method, const nlohmann::json& params) const;
  void Notification(const std::string& method, const nlohmann::json& params) const;

  std::map<std::string, RequestHandler> requests_;
  std::map<std::string, NotificationHandler> notifications_;
  std::function<void(const nlohmann::json&)> response_;
  std::function<void(const std::string&)> guard_;
  std::function<bool(const nlohmann::json&)> cancelled_;
};

}  // namespace zoci
