// The language server's dispatch table (see lsp_dispatch.h).
#include "lsp_dispatch.h"

#include "lsp_protocol.h"

namespace zoci {
namespace {

using nlohmann::json;

bool IsResponse(const json& message) {
  return message.is_object() && !message.contains("method") &&
         (message.contains("result") || message.contains("error"));
}

}  // namespace

std::optional<json> DispatchTable::Dispatch(const json& message) const {
  const json id = message.is_object() ? message.value("id", json()) : json();
  if (IsResponse(message)) {
    if (response_) response_(message);
    return std::nullopt;
  }
  if (!message.is_object() || !message.contains("method") || !message.at("method").is_string()) {
    return ErrorAnswer(id, ErrorCode::invalidRequest, "not a JSON-RPC request or notification");
  }
  const std::string method = message.at("method").get<std::string>();
  const json params = message.value("params", json::object());
  const bool isRequest = message.contains("id");
  try {
    if (!isRequest) {
      Notification(method, params);
      return std::nullopt;
    }
    Result result = Request(id, method, params);
    if (!result) return std::nullopt;
    return ResultAnswer(id, std::move(*result));
  } catch (const RpcError& failure) {
    if (isRequest) return ErrorAnswer(id, failure.code, failure.what());
  } catch (const json::exception& failure) {
    if (isRequest) return ErrorAnswer(id, ErrorCode::invalidParams, failure.what());
  } catch (const std::exception& failure) {
    if (isRequest) return ErrorAnswer(id, ErrorCode::internalError, failure.what());
  }
  return std::nullopt;
}

DispatchTable::Result DispatchTable::Request(const json& id, const std::string& method, const json& params) const {
  if (cancelled_ && cancelled_(id)) throw RpcError(ErrorCode::requestCancelled, "the request was cancelled");
  if (guard_) guard_(method);
  const auto handler = requests_.find(method);
  if (handler == requests_.end()) throw RpcError(ErrorCode::methodNotFound, "unknown method '" + method + "'");
  return handler->second(id, params);
}

void DispatchTable::Notification(const std::string& method, const json& params) const {
  if (guard_) guard_(method);
  const auto handler = notifications_.find(method);
  if (handler != notifications_.end()) handler->second(params);
}

}  // namespace zoci
