// JSON-RPC dispatch of the language server (see lsp_server.h). Every failure
// of a message becomes a JSON-RPC error (or, for a notification, is dropped):
// nothing a client sends ends the server but exit.
#include "lsp_server.h"

#include <filesystem>
#include <set>
#include <stdexcept>

#include "fixing.h"
#include "lsp_shapes.h"

namespace zoci {
namespace {

using nlohmann::json;

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

/// The client's initialization options over the command line's.
void ApplyInitializationOptions(const json& given, Options& options) {
  if (!given.is_object()) return;
  if (given.contains("checks")) options.checks = given.at("checks").get<std::string>();
  if (given.contains("checkOptions")) {
    for (const auto& [name, value] : given.at("checkOptions").items()) options.checkOptions[name] = value.get<std::string>();
  }
  if (given.contains("compileCommands")) options.compileDatabaseDir = given.at("compileCommands").get<std::string>();
}

/// UTF-8 when the client prefers it to UTF-16, else UTF-16 (which every client supports).
PositionEncoding ChosenEncoding(const json& params) {
  const json encodings = params.value("capabilities", json::object()).value("general", json::object()).value("positionEncodings", json::array());
  for (const json& encoding : encodings) {
    if (encoding == "utf-16") return PositionEncoding::utf16;
    if (encoding == "utf-8") return PositionEncoding::utf8;
  }
  return PositionEncoding::utf16;
}

json Capabilities(PositionEncoding encoding) {
  return {{"positionEncoding", encoding == PositionEncoding::utf8 ? "utf-8" : "utf-16"},
          {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
          {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}, {"resolveProvider", true}}}};
}

/// True when the client shows progress reports that the server starts.
bool ShowsProgress(const json& params) {
  const json window = params.value("capabilities", json::object()).value("window", json::object());
  return window.value("workDoneProgress", false);
}

json ErrorAnswer(const json& id, int code, const std::string& message) {
  return json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::absolute(path, ignored).lexically_normal().string();
}

}  // namespace

LspServer::LspServer(Options options, LspBackend& backend, Send send)
    : options_(std::move(options)), backend_(backend), send_(std::move(send)), progress_(send_) {}

bool LspServer::Handle(const Incoming& incoming) {
  if (!incoming.error.empty()) {
    SendError(nullptr, ErrorCode::parseError, incoming.error);
    return true;
  }
  const json& message = incoming.message;
  const bool isExit = message.is_object() && message.value("method", json()) == "exit";
  if (isExit) {
    exiting_ = true;
    return false;
  }
  Dispatch(message);
  return true;
}

int LspServer::ExitCode() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return shutDown_ ? 0 : 1;
}

void LspServer::Dispatch(const json& message) {
  const bool valid = message.is_object() && message.contains("method") && message.at("method").is_string();
  const json id = message.is_object() ? message.value("id", json()) : json();
  if (!valid) {
    const bool isResponse = message.is_object() && (message.contains("result") || message.contains("error"));
    if (!isResponse) return SendError(id, ErrorCode::invalidRequest, "not a JSON-RPC request or notification");
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.Answered(message);
    return;
  }
  const std::string method = message.at("method").get<std::string>();
  const json params = message.value("params", json::object());
  const bool isRequest = message.contains("id");
  try {
    if (!isRequest) return Notification(method, params);
    if (cancelled_ && cancelled_(id)) throw RpcError(ErrorCode::requestCancelled, "the request was cancelled");
    std::optional<json> result = Request(id, method, params);
    if (result) send_(json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(*result)}});
  } catch (const RpcError& failure) {
    if (isRequest) SendError(id, failure.code, failure.what());
  } catch (const json::exception& failure) {
    if (isRequest) SendError(id, ErrorCode::invalidParams, failure.what());
  } catch (const std::exception& failure) {
    if (isRequest) SendError(id, ErrorCode::internalError, failure.what());
  }
}

std::optional<json> LspServer::Request(const json& id, const std::string& method, const json& params) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (method == "initialize") return Initialize(params);
  if (!initialized_) throw RpcError(ErrorCode::serverNotInitialized, "initialize first");
  if (shutDown_) throw RpcError(ErrorCode::invalidRequest, "the server is shut down");
  if (method == "shutdown") {
    shutDown_ = true;
    return json(nullptr);
  }
  if (method == "textDocument/codeAction") return CodeActions(params);
  if (method == "codeAction/resolve") return ResolveCodeAction(id, params);
  throw RpcError(ErrorCode::methodNotFound, "unknown method '" + method + "'");
}

void LspServer::Notification(const std::string& method, const json& params) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!initialized_ || shutDown_) return;
  if (method == "$/setTrace") {
    tracing_ = params.at("value").get<std::string>() != "off";
  } else if (method == "window/workDoneProgress/cancel") {
    if (const auto uri = progress_.SubjectOf(params.at("token").get<std::string>())) backend_.Cancel(*uri);
  } else if (method == "textDocument/didOpen") {
    const json& document = params.at("textDocument");
    const std::string uri = document.at("uri").get<std::string>();
    documents_.Open(uri, document.at("version").get<int64_t>(), Utf16Of(document.at("text")));
    backend_.Changed(uri);
  } else if (method == "textDocument/didChange") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const int64_t version = params.at("textDocument").at("version").get<int64_t>();
    std::string why;
    if (documents_.Change(uri, version, params.at("contentChanges"), encoding_, &why)) backend_.Changed(uri);
    else RefuseChange(uri, why);
  } else if (method == "textDocument/didClose") {
    Forget(params.at("textDocument").at("uri").get<std::string>());
  }
}

void LspServer::Forget(const std::string& uri) {
  documents_.Close(uri);
  published_.erase(uri);
  backend_.Closed(uri);
  send_(json{{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"},
             {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
}

void LspServer::RefuseChange(const std::string& uri, const std::string& why) {
  const bool wasOpen = documents_.Find(uri) != nullptr;
  if (wasOpen) Forget(uri);
  const std::string message = "zoci: a change to " + uri + " was refused (" + why + "); " +
                              (wasOpen ? "it is no longer inspected until it is opened again" : "open it first");
  send_(json{{"jsonrpc", "2.0"}, {"method", "window/showMessage"}, {"params", {{"type", 1}, {"message", message}}}});
}

json LspServer::Initialize(const json& params) {
  if (initialized_) throw RpcError(ErrorCode::invalidRequest, "initialize was already called");
  ApplyInitializationOptions(params.value("initializationOptions", json()), options_);
  const std::string error = backend_.Start(options_);
  if (!error.empty()) throw RpcError(ErrorCode::internalError, error);
  initialized_ = true;
  tracing_ = params.value("trace", "off") != "off";
  encoding_ = ChosenEncoding(params);
  progress_.Enable(ShowsProgress(params));
  return {{"capabilities", Capabilities(encoding_)}, {"serverInfo", {{"name", "zoci"}, {"version", "0.1.0"}}}};
}

json LspServer::CodeActions(const json& params) const {
  const std::string uri = params.at("textDocument").at("uri").get<std::string>();
  const OpenDocument* document = documents_.Find(uri);
  const auto published = published_.find(uri);
  json actions = json::array();
  if (!document || published == published_.end() || published->second.version != document->version) return actions;
  const uint32_t start = OffsetOf(*document->text, params.at("range").at("start"), encoding_);
  const uint32_t end = OffsetOf(*document->text, params.at("range").at("end"), encoding_);
  const LineIndex lineIndex(*document->text);
  const TextPositions lines{lineIndex, encoding_};
  const std::vector<Diagnostic>& diagnostics = published->second.diagnostics;
  std::map<std::string, int> fixesOfCheck;
  for (const Diagnostic& diagnostic : diagnostics) fixesOfCheck[diagnostic.check] += diagnostic.fix.empty() ? 0 : 1;
  std::set<std::string> fixAllOffered;
  for (size_t i = 0; i < diagnostics.size(); ++i) {
    const Diagnostic& diagnostic = diagnostics[i];
    if (diagnostic.offset > end || start > diagnostic.offset + diagnostic.length) continue;
    if (!diagnostic.fix.empty()) actions.push_back(QuickFixAction(lines, diagnostic, uri, document->version, i));
    if (fixesOfCheck[diagnostic.check] > 1 && fixAllOffered.insert(diagnostic.check).second) {
      actions.push_back(FixAllAction(diagnostic.check, uri, document->version));
    }
    actions.push_back(SuppressAction(lines, diagnostic, uri));
  }
  return actions;
}

std::optional<json> LspServer::ResolveCodeAction(const json& id, json action) {
  const json& data = action.at("data");
  const std::string uri = data.at("uri").get<std::string>();
  const OpenDocument* document = documents_.Find(uri);
  const auto published = published_.find(uri);
  const bool current = document && published != published_.end() && document->version == data.at("version").get<int64_t>() &&
                       published->second.version == document->version;
  if (!current) throw RpcError(ErrorCode::invalidParams, "the document changed since this action was offered");
  const std::vector<Diagnostic>& diagnostics = published->second.diagnostics;
  if (data.contains("check")) {
    FixAllWork work{id, json(), uri, data.at("check").get<std::string>(), {}, document->text, encoding_};
    for (const Diagnostic& diagnostic : diagnostics) {
      if (diagnostic.check == work.check && !diagnostic.fix.empty()) work.diagnostics.push_back(diagnostic);
    }
    work.action = std::move(action);
    ResolveFixAllLater(std::move(work));
    return std::nullopt;
  }
  const auto index = data.at("index").get<size_t>();
  if (index >= diagnostics.size()) throw RpcError(ErrorCode::invalidParams, "no such diagnostic");
  const std::vector<TextEdit> edits = FixOf(diagnostics[index]);
  const LineIndex lines(*document->text);
  action["edit"] = WorkspaceEdit(TextPositions{lines, encoding_}, uri, edits);
  return action;
}

std::vector<TextEdit> LspServer::FixOf(const Diagnostic& diagnostic) {
  std::vector<TextEdit> edits = diagnostic.claimToken > 0 ? backend_.FinalFix(diagnostic.claimToken) : std::vector<TextEdit>();
  return edits.empty() ? diagnostic.fix : edits;
}

// The engine is asked for each fix without the server's lock, so that
// documents change, runs publish and other requests are answered meanwhile;
// the work holds its own copies of the diagnostics and the text.
void LspServer::ResolveFixAllLater(FixAllWork work) {
  if (running_) running_(work.id, true);
  background_.Post([this, work = std::move(work)]() mutable {
    json answer;
    try {
      const std::vector<TextEdit> edits = FixAllOf(work);
      const LineIndex lines(*work.text);
      work.action["edit"] = WorkspaceEdit(TextPositions{lines, work.encoding}, work.uri, edits);
      answer = json{{"jsonrpc", "2.0"}, {"id", work.id}, {"result", std::move(work.action)}};
    } catch (const RpcError& failure) {
      answer = ErrorAnswer(work.id, failure.code, failure.what());
    } catch (const std::exception& failure) {
      answer = ErrorAnswer(work.id, ErrorCode::internalError, failure.what());
    }
    if (running_) running_(work.id, false);
    send_(answer);
  });
}

std::vector<TextEdit> LspServer::FixAllOf(const FixAllWork& work) {
  if (work.diagnostics.empty()) return {};
  InspectedFile file;
  for (const Diagnostic& diagnostic : work.diagnostics) {
    StopIfCancelled(work.id);
    file.diagnostics.push_back(diagnostic);
    file.diagnostics.back().fix = FixOf(diagnostic);
  }
  const std::string path = file.diagnostics.front().file;
  Report report;
  report.files.push_back(std::move(file));
  FixPlan plan = PlanFixes(report, work.check);
  return std::move(plan.edits[path]);
}

std::optional<DocumentSnapshot> LspServer::Snapshot(const std::string& uri) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const OpenDocument* document = documents_.Find(uri);
  if (!document) return std::nullopt;
  DocumentSnapshot snapshot{document->path, document->version, {}};
  for (const auto& [ignored, open] : documents_.All()) snapshot.buffers[AbsolutePath(open.path)] = open.text;
  return snapshot;
}

// The diagnostics' JSON is built without the server's lock, so that messages
// are handled meanwhile; it is sent only if the document still holds the
// text the run inspected.
void LspServer::Publish(const std::string& uri, int64_t version, std::vector<Diagnostic> diagnostics) {
  std::shared_ptr<const std::u16string> text;
  PositionEncoding encoding = PositionEncoding::utf16;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    const OpenDocument* document = documents_.Find(uri);
    if (!document || document->version != version || shutDown_) return;
    text = document->text;
    encoding = encoding_;
  }
  const LineIndex lines(*text);
  json published = json::array();
  const TextPositions positions{lines, encoding};  // one for all: diagnostics come in text order
  for (const Diagnostic& diagnostic : diagnostics) published.push_back(DiagnosticJson(positions, diagnostic));
  const std::lock_guard<std::mutex> lock(mutex_);
  const OpenDocument* document = documents_.Find(uri);
  if (!document || document->text != text || document->version != version || shutDown_) return;
  published_[uri] = Published{version, std::move(diagnostics)};
  send_(json{{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"},
             {"params", {{"uri", uri}, {"version", version}, {"diagnostics", std::move(published)}}}});
}

std::string LspServer::BeginProgress(const std::string& uri, const std::string& message) {
  const std::lock_guard<std::mutex> lock(mutex_);
  return progress_.Begin(uri, "zoci", message);
}

void LspServer::EndProgress(const std::string& token, const std::string& message) {
  const std::lock_guard<std::mutex> lock(mutex_);
  progress_.End(token, message);
}

void LspServer::StopIfCancelled(const json& id) const {
  if (exiting_ || (cancelled_ && cancelled_(id))) throw RpcError(ErrorCode::requestCancelled, "the request was cancelled");
}

void LspServer::Trace(const std::string& message) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (tracing_) send_(json{{"jsonrpc", "2.0"}, {"method", "$/logTrace"}, {"params", {{"message", message}}}});
}

void LspServer::ShowMessage(MessageType type, const std::string& message) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (shutDown_) return;
  send_(json{{"jsonrpc", "2.0"}, {"method", "window/showMessage"},
             {"params", {{"type", static_cast<int>(type)}, {"message", message}}}});
}

void LspServer::SendError(const json& id, int code, const std::string& message) { send_(ErrorAnswer(id, code, message)); }

}  // namespace zoci
