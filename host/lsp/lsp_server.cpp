// The language server's handlers (see lsp_server.h). Every failure of a
// message becomes a JSON-RPC error (or, for a notification, is dropped):
// nothing a client sends ends the server but exit.
#include "lsp_server.h"

#include <set>

#include "file_uri.h"
#include "fixing.h"
#include "lsp_shapes.h"
#include "lsp_watched_files.h"

namespace zoci {
namespace {

using nlohmann::json;
using Result = DispatchTable::Result;

/// The client's initialization options over the command line's.
void Apply(const InitializationOptions& given, Options& options) {
  if (given.checks) options.checks = *given.checks;
  for (const auto& [name, value] : given.checkOptions) options.checkOptions[name] = value;
  if (given.compileCommands) options.compileDatabaseDir = *given.compileCommands;
}

json Capabilities(PositionEncoding encoding) {
  return {{"positionEncoding", encoding == PositionEncoding::utf8 ? "utf-8" : "utf-16"},
          {"textDocumentSync", {{"openClose", true}, {"change", 2}, {"save", true}}},
          {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}, {"resolveProvider", true}}}};
}

bool IsExit(const json& message) { return message.is_object() && message.value("method", json()) == "exit"; }

}  // namespace

LspServer::LspServer(Options options, LspBackend& backend, Send send)
    : options_(std::move(options)),
      backend_(backend),
      outbox_(std::move(send)),
      progress_([this](const json& message) { outbox_.Post(message); }) {
  RegisterHandlers();
}

void LspServer::RegisterHandlers() {
  table_.GuardWith([this](const std::string& method) { Guard(method); });
  table_.CheckCancellationsWith([this](const json& id) { return cancelled_ && cancelled_(id); });
  table_.OnResponse([this](const json& response) {
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.Answered(response);
  });
  table_.OnRequest<InitializeParams>(
      "initialize", [this](const json&, const InitializeParams& params) -> Result { return Initialize(params); });
  table_.OnRequest<NoParams>("shutdown", [this](const json&, const NoParams&) -> Result {
    const std::lock_guard<std::mutex> lock(mutex_);
    shutDown_ = true;
    return json(nullptr);
  });
  table_.OnRequest<CodeActionParams>(
      "textDocument/codeAction",
      [this](const json&, const CodeActionParams& params) -> Result { return CodeActions(params); });
  table_.OnRequest<ResolveParams>("codeAction/resolve", [this](const json& id, const ResolveParams& params) {
    return ResolveCodeAction(id, params);
  });
  table_.OnNotification<SetTraceParams>("$/setTrace", [this](const SetTraceParams& params) {
    const std::lock_guard<std::mutex> lock(mutex_);
    tracing_ = params.tracing;
  });
  table_.OnNotification<ProgressCancelParams>("window/workDoneProgress/cancel",
                                              [this](const ProgressCancelParams& params) { CancelProgress(params); });
  table_.OnNotification<DidOpenParams>("textDocument/didOpen",
                                       [this](const DidOpenParams& params) { DidOpen(params); });
  table_.OnNotification<DidChangeParams>("textDocument/didChange",
                                         [this](const DidChangeParams& params) { DidChange(params); });
  table_.OnNotification<DocumentParams>("textDocument/didClose",
                                        [this](const DocumentParams& params) { DidClose(params); });
  table_.OnNotification<DocumentParams>("textDocument/didSave",
                                        [this](const DocumentParams& params) { DidSave(params); });
  table_.OnNotification<NoParams>("initialized", [this](const NoParams&) {
    std::optional<json> watch;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (watchesFiles_) watch = WatchFilesRequest(options_);
    }
    if (watch) outbox_.Post(std::move(*watch));
  });
  table_.OnNotification<WatchedFilesParams>(
      "workspace/didChangeWatchedFiles", [this](const WatchedFilesParams& params) { DidChangeWatchedFiles(params); });
}

bool LspServer::Handle(const Incoming& incoming) {
  if (!incoming.error.empty()) {
    outbox_.Post(ErrorAnswer(nullptr, ErrorCode::parseError, incoming.error));
  } else if (IsExit(incoming.message)) {
    exiting_ = true;
    return false;
  } else if (std::optional<json> answer = table_.Dispatch(incoming.message)) {
    outbox_.Post(std::move(*answer));
  }
  outbox_.Flush();
  return true;
}

void LspServer::CheckCancellationsWith(CancellationCheck cancelled) { cancelled_ = std::move(cancelled); }

int LspServer::ExitCode() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return shutDown_ ? 0 : 1;
}

void LspServer::Guard(const std::string& method) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (method == "initialize") return;
  if (!initialized_) throw RpcError(ErrorCode::serverNotInitialized, "initialize first");
  if (shutDown_) throw RpcError(ErrorCode::invalidRequest, "the server is shut down");
}

// The backend starts (reads the project's files, initialises the library)
// without the lock; no other message is handled meanwhile.
json LspServer::Initialize(const InitializeParams& params) {
  Options options;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (initialized_ || initializing_) throw RpcError(ErrorCode::invalidRequest, "initialize was already called");
    Apply(params.options, options_);
    options = options_;
    initializing_ = true;
  }
  const std::string error = backend_.Start(options);
  const std::lock_guard<std::mutex> lock(mutex_);
  initializing_ = false;
  if (!error.empty()) throw RpcError(ErrorCode::internalError, error);
  initialized_ = true;
  tracing_ = params.tracing;
  encoding_ = params.encoding;
  progress_.Enable(params.showsProgress);
  watchesFiles_ = params.watchesFiles;
  return {{"capabilities", Capabilities(encoding_)}, {"serverInfo", {{"name", "zoci"}, {"version", "0.1.0"}}}};
}

void LspServer::DidOpen(const DidOpenParams& params) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    documents_.Open(params.uri, params.version, params.text);
  }
  backend_.Opened(params.uri);
}

void LspServer::DidChange(const DidChangeParams& params) {
  bool changed = false;
  bool wasOpen = false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::string why;
    wasOpen = documents_.Find(params.uri) != nullptr;
    changed = documents_.Change(params.uri, params.version, params.contentChanges, encoding_, &why);
    if (!changed) RefuseChange(params.uri, why);
  }
  if (changed) {
    backend_.Changed(params.uri);
  } else if (wasOpen) {
    backend_.Closed(params.uri);
    FileTextChanged(params.uri);  // dropped as if closed: the others read the file now
  }
}

// The other documents read the closed one's text as the editor had it; now
// they read the file.
void LspServer::DidClose(const DocumentParams& params) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    Forget(params.uri);
  }
  backend_.Closed(params.uri);
  FileTextChanged(params.uri);
}

// The documents that read the saved file were inspected with its text as it
// was. A saved project file changes every document's flags or checks, also
// for a client that watches no files.
void LspServer::DidSave(const DocumentParams& params) {
  if (!InspectAllIfAProjectFile({params.uri})) FileTextChanged(params.uri);
}

void LspServer::FileTextChanged(const std::string& uri) {
  if (const std::optional<std::string> path = PathOfUri(uri)) backend_.FileTextChanged(AbsolutePath(*path));
}

// A file changed on disk by another program is read again by the documents
// whose last run read it. An open document's file is left out: every run
// reads the editor's text of it, and its saving comes as didSave.
void LspServer::DidChangeWatchedFiles(const WatchedFilesParams& params) {
  if (InspectAllIfAProjectFile(params.uris)) return;
  std::vector<std::string> changed;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::set<std::string> open;
    for (const auto& [uri, document] : documents_.All()) open.insert(AbsolutePath(document.path));
    for (const std::string& uri : params.uris) {
      const std::optional<std::string> path = PathOfUri(uri);
      if (path && !open.contains(AbsolutePath(*path))) changed.push_back(uri);
    }
  }
  for (const std::string& uri : changed) FileTextChanged(uri);
}

bool LspServer::InspectAllIfAProjectFile(const std::vector<std::string>& uris) {
  std::vector<std::string> open;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!NamesAProjectFile(uris, options_)) return false;
    for (const auto& [uri, document] : documents_.All()) open.push_back(uri);
  }
  for (const std::string& uri : open) backend_.Opened(uri);
  return true;
}

void LspServer::CancelProgress(const ProgressCancelParams& params) {
  std::optional<std::string> uri;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    uri = progress_.SubjectOf(params.token);
  }
  if (uri) backend_.Cancel(*uri);
}

void LspServer::Forget(const std::string& uri) {
  documents_.Close(uri);
  published_.erase(uri);
  outbox_.Post(NotificationMessage("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", json::array()}}));
}

void LspServer::RefuseChange(const std::string& uri, const std::string& why) {
  const bool wasOpen = documents_.Find(uri) != nullptr;
  if (wasOpen) Forget(uri);
  const std::string message = "zoci: a change to " + uri + " was refused (" + why + "); " +
                              (wasOpen ? "it is no longer inspected until it is opened again" : "open it first");
  outbox_.Post(NotificationMessage("window/showMessage",
                                   {{"type", static_cast<int>(MessageType::error)}, {"message", message}}));
}

json LspServer::CodeActions(const CodeActionParams& params) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const OpenDocument* document = documents_.Find(params.uri);
  const auto published = published_.find(params.uri);
  json actions = json::array();
  if (!document || published == published_.end() || published->second.version != document->version) return actions;
  const uint32_t start = OffsetOf(*document->text, params.start, encoding_);
  const uint32_t end = OffsetOf(*document->text, params.end, encoding_);
  const LineIndex lineIndex(*document->text);
  const TextPositions lines{lineIndex, encoding_};
  const std::vector<Diagnostic>& diagnostics = published->second.diagnostics;
  std::map<std::string, int> fixesOfCheck;
  for (const Diagnostic& diagnostic : diagnostics) fixesOfCheck[diagnostic.check] += diagnostic.fix.empty() ? 0 : 1;
  std::set<std::string> fixAllOffered;
  for (size_t i = 0; i < diagnostics.size(); ++i) {
    const Diagnostic& diagnostic = diagnostics[i];
    if (diagnostic.offset > end || start > diagnostic.offset + diagnostic.length) continue;
    if (!diagnostic.fix.empty()) actions.push_back(QuickFixAction(lines, diagnostic, params.uri, document->version, i));
    if (fixesOfCheck[diagnostic.check] > 1 && fixAllOffered.insert(diagnostic.check).second) {
      actions.push_back(FixAllAction(diagnostic.check, params.uri, document->version));
    }
    actions.push_back(SuppressAction(lines, diagnostic, params.uri));
  }
  return actions;
}

// The engine is asked for the fix without the lock; the action is resolved
// against the text it was offered on, whatever happens to the document meanwhile.
std::optional<json> LspServer::ResolveCodeAction(const json& id, const ResolveParams& params) {
  std::unique_lock<std::mutex> lock(mutex_);
  const OpenDocument* document = documents_.Find(params.uri);
  const auto published = published_.find(params.uri);
  const bool current = document && published != published_.end() && document->version == params.version &&
                       published->second.version == document->version;
  if (!current) throw RpcError(ErrorCode::invalidParams, "the document changed since this action was offered");
  const std::vector<Diagnostic>& diagnostics = published->second.diagnostics;
  if (params.check) {
    FixAllWork work{id, params.action, params.uri, *params.check, {}, document->text, encoding_};
    for (const Diagnostic& diagnostic : diagnostics) {
      if (diagnostic.check == work.check && !diagnostic.fix.empty()) work.diagnostics.push_back(diagnostic);
    }
    lock.unlock();
    ResolveFixAllLater(std::move(work));
    return std::nullopt;
  }
  if (params.index >= diagnostics.size()) throw RpcError(ErrorCode::invalidParams, "no such diagnostic");
  const Diagnostic diagnostic = diagnostics[params.index];
  const std::shared_ptr<const std::u16string> text = document->text;
  const PositionEncoding encoding = encoding_;
  lock.unlock();
  const std::vector<TextEdit> edits = FixOf(diagnostic);
  json action = params.action;
  const LineIndex lines(*text);
  action["edit"] = WorkspaceEdit(TextPositions{lines, encoding}, params.uri, edits);
  return action;
}

std::vector<TextEdit> LspServer::FixOf(const Diagnostic& diagnostic) {
  std::vector<TextEdit> edits =
      diagnostic.claimToken > 0 ? backend_.FinalFix(diagnostic.claimToken) : std::vector<TextEdit>();
  return edits.empty() ? diagnostic.fix : edits;
}

// The work holds its own copies of the diagnostics and the text, so that
// documents change, runs publish and other requests are answered meanwhile.
void LspServer::ResolveFixAllLater(FixAllWork work) {
  if (running_) running_(work.id, true);
  background_.Post([this, work = std::move(work)]() mutable {
    json answer;
    try {
      const std::vector<TextEdit> edits = FixAllOf(work);
      const LineIndex lines(*work.text);
      work.action["edit"] = WorkspaceEdit(TextPositions{lines, work.encoding}, work.uri, edits);
      answer = ResultAnswer(work.id, std::move(work.action));
    } catch (const RpcError& failure) {
      answer = ErrorAnswer(work.id, failure.code, failure.what());
    } catch (const std::exception& failure) {
      answer = ErrorAnswer(work.id, ErrorCode::internalError, failure.what());
    }
    if (running_) running_(work.id, false);
    outbox_.Post(std::move(answer));
    outbox_.Flush();
  });
}

std::vector<TextEdit> LspServer::FixAllOf(const FixAllWork& work) {
  if (work.diagnostics.empty()) return {};
  InspectedFile file;
  for (const Diagnostic& diagnostic : work.diagnostics) {
    StopIfCancelled(work.id);
    Diagnostic& taken = file.diagnostics.emplace_back(diagnostic);
    if (taken.ownFix.empty()) taken.ownFix = taken.fix;  // overlaps are judged on the run's own replacements
    taken.fix = FixOf(diagnostic);
  }
  const std::string path = file.diagnostics.front().file;
  Report report;
  report.files.push_back(std::move(file));
  FixPlan plan = PlanFixes(report, work.check);
  // Finalised as one change, the fixes' cleanups see each other (a comma
  // between two removed initialisers goes once), as in zoci fix.
  if (const auto tokens = plan.together.find(path); tokens != plan.together.end()) {
    if (auto edits = backend_.FinalFixes(tokens->second)) return std::move(*edits);
  }
  return std::move(plan.edits[path]);
}

void LspServer::StopIfCancelled(const json& id) const {
  if (exiting_ || (cancelled_ && cancelled_(id)))
    throw RpcError(ErrorCode::requestCancelled, "the request was cancelled");
}

std::optional<DocumentSnapshot> LspServer::Snapshot(const std::string& uri) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const OpenDocument* document = documents_.Find(uri);
  if (!document) return std::nullopt;
  DocumentSnapshot snapshot{document->path, document->version, {}};
  for (const auto& [ignored, open] : documents_.All()) snapshot.buffers[AbsolutePath(open.path)] = open.text;
  return snapshot;
}

// The diagnostics' JSON is built without the lock, so that messages are
// handled meanwhile; it is sent only if the document still holds the text
// the run inspected.
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
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    const OpenDocument* document = documents_.Find(uri);
    if (!document || document->text != text || document->version != version || shutDown_) return;
    published_[uri] = Published{version, std::move(diagnostics)};
    outbox_.Post(NotificationMessage("textDocument/publishDiagnostics",
                                     {{"uri", uri}, {"version", version}, {"diagnostics", std::move(published)}}));
  }
  outbox_.Flush();
}

std::string LspServer::BeginProgress(const std::string& uri, const std::string& message) {
  std::string token;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    token = progress_.Begin(uri, "zoci", message);
  }
  outbox_.Flush();
  return token;
}

void LspServer::EndProgress(const std::string& token, const std::string& message) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.End(token, message);
  }
  outbox_.Flush();
}

void LspServer::Trace(const std::string& message) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!tracing_) return;
    outbox_.Post(NotificationMessage("$/logTrace", {{"message", message}}));
  }
  outbox_.Flush();
}

void LspServer::ShowMessage(MessageType type, const std::string& message) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (shutDown_) return;
    outbox_.Post(NotificationMessage("window/showMessage", {{"type", static_cast<int>(type)}, {"message", message}}));
  }
  outbox_.Flush();
}

}  // namespace zoci
