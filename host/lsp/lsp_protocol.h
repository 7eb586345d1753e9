// The language server's protocol: JSON-RPC error codes, the typed parameters
// of every message the server handles (read from JSON before a handler runs,
// so a malformed message fails as a whole, with invalid params), and the
// messages it sends.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "lsp_documents.h"

namespace zoci {

namespace ErrorCode {
constexpr int parseError = -32700;
constexpr int invalidRequest = -32600;
constexpr int methodNotFound = -32601;
constexpr int invalidParams = -32602;
constexpr int internalError = -32603;
constexpr int serverNotInitialized = -32002;
constexpr int requestCancelled = -32800;
}  // namespace ErrorCode

/// A request that fails with a JSON-RPC error.
struct RpcError : std::runtime_error {
  RpcError(int errorCode, const std::string& message) : std::runtime_error(message), code(errorCode) {}
  int code;
};

/// Parameters of a message that takes none (or whose parameters are ignored).
struct NoParams {};

/// What the client may set at initialize over the command line's options.
struct InitializationOptions {
  std::optional<std::string> checks;
  std::map<std::string, std::string> checkOptions;
  std::optional<std::string> compileCommands;  ///< the compilation database's folder
};

struct InitializeParams {
  InitializationOptions options;
  PositionEncoding encoding = PositionEncoding::utf16;  ///< UTF-8 only when the client prefers it
  bool showsProgress = false;  ///< the client shows progress reports that the server starts
  bool tracing = false;        ///< the client's trace setting is not "off"
  bool watchesFiles = false;   ///< the client reports changes of the files the server registers for
};

struct SetTraceParams {
  bool tracing = false;
};

struct ProgressCancelParams {
  std::string token;
};

struct DidOpenParams {
  std::string uri;
  int64_t version = 0;
  std::u16string text;
};

struct DidChangeParams {
  std::string uri;
  int64_t version = 0;
  nlohmann::json contentChanges;  ///< applied in order by OpenDocuments::Change
};

/// textDocument/didClose and didSave: the document's URI.
struct DocumentParams {
  std::string uri;
};

/// workspace/didChangeWatchedFiles: the files changed, created or deleted.
struct WatchedFilesParams {
  std::vector<std::string> uris;
};

struct CodeActionParams {
  std::string uri;
  nlohmann::json start, end;  ///< LSP positions
};

/// codeAction/resolve: the action as offered, with what its data names.
struct ResolveParams {
  nlohmann::json action;
  std::string uri;
  int64_t version = 0;
  std::optional<std::string> check;  ///< a "Fix all" of this check
  size_t index = 0;                  ///< otherwise the quick fix of this published diagnostic
};

void from_json(const nlohmann::json& given, NoParams& params);
void from_json(const nlohmann::json& given, InitializeParams& params);
void from_json(const nlohmann::json& given, SetTraceParams& params);
void from_json(const nlohmann::json& given, ProgressCancelParams& params);
void from_json(const nlohmann::json& given, DidOpenParams& params);
void from_json(const nlohmann::json& given, DidChangeParams& params);
void from_json(const nlohmann::json& given, DocumentParams& params);
void from_json(const nlohmann::json& given, WatchedFilesParams& params);
void from_json(const nlohmann::json& given, CodeActionParams& params);
void from_json(const nlohmann::json& given, ResolveParams& params);

/// The answer `result` to the request `id`.
nlohmann::json ResultAnswer(const nlohmann::json& id, nlohmann::json result);
/// The error answer to the request `id` (null when it could not be read).
nlohmann::json ErrorAnswer(const nlohmann::json& id, int code, const std::string& message);
/// A notification to the client.
nlohmann::json NotificationMessage(const std::string& method, nlohmann::json params);

}  // namespace zoci
