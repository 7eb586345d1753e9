// The protocol side of `zoci lsp`: JSON-RPC requests and notifications of a
// language server turned into document changes, runs asked of the backend,
// published diagnostics and their fixes as code actions. Thread-safe: the
// backend's worker takes snapshots and publishes while messages arrive.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "lsp_background.h"
#include "lsp_backend.h"
#include "lsp_documents.h"
#include "lsp_inbox.h"
#include "lsp_progress.h"
#include "options.h"
#include "report.h"

namespace zoci {

/// What a run of one document inspects: its path and version, and every open text.
struct DocumentSnapshot {
  std::string path;
  int64_t version = 0;
  Quillfern::ZoCodeInspections::Native::UnsavedBuffers buffers;  ///< by absolute path
};

class LspServer {
 public:
  /// Writes one message to the client; may be called from several threads.
  using Send = std::function<void(const nlohmann::json&)>;
  /// Whether the client cancelled the request with this id.
  using CancellationCheck = std::function<bool(const nlohmann::json& id)>;
  /// Told when a request goes on after its message was handled (running
  /// true) and when it has been answered (false).
  using RunningRequests = std::function<void(const nlohmann::json& id, bool running)>;

  LspServer(Options options, LspBackend& backend, Send send);
  /// Stops work under way off the message thread at its next step and waits for it.
  ~LspServer() { exiting_ = true; }

  /// Handles one received message; false once the client has said exit.
  bool Handle(const Incoming& incoming);
  /// Where cancellations are looked up: a cancelled request is answered with
  /// an error instead of a result, and a long one stops between engine calls.
  void CheckCancellationsWith(CancellationCheck cancelled) { cancelled_ = std::move(cancelled); }
  /// Who learns of requests answered later (a "Fix all", which runs off the
  /// message thread), so that their cancellations still count. Set before
  /// the first message.
  void TrackRunningRequestsWith(RunningRequests running) { running_ = std::move(running); }
  /// The exit code after exit: 0 when shutdown came first.
  int ExitCode() const;

  /// What to inspect for `uri`; none when it is no longer open.
  std::optional<DocumentSnapshot> Snapshot(const std::string& uri) const;
  /// Sends `message` to the client's trace log when the client asked for one.
  void Trace(const std::string& message);
  /// Kinds of window/showMessage.
  enum class MessageType { error = 1, warning = 2 };
  /// Shows `message` to the user (window/showMessage).
  void ShowMessage(MessageType type, const std::string& message);
  /// Shows that `uri` is being inspected, when the client shows progress; the report's token.
  std::string BeginProgress(const std::string& uri, const std::string& message);
  /// Ends the report `token` of BeginProgress.
  void EndProgress(const std::string& token, const std::string& message);
  /// Publishes the diagnostics of a run of `uri` at `version`; a stale run's are dropped.
  void Publish(const std::string& uri, int64_t version, std::vector<Diagnostic> diagnostics);

 private:
  struct Published {
    int64_t version = 0;
    std::vector<Diagnostic> diagnostics;
  };

  /// What a "Fix all" needs once it runs off the message thread.
  struct FixAllWork {
    nlohmann::json id;
    nlohmann::json action;
    std::string uri;
    std::string check;
    std::vector<Diagnostic> diagnostics;  ///< the published ones of `check` that have a fix
    std::shared_ptr<const std::u16string> text;
    PositionEncoding encoding = PositionEncoding::utf16;
  };

  void Dispatch(const nlohmann::json& message);
  /// The result of a request; none when it is answered later.
  std::optional<nlohmann::json> Request(const nlohmann::json& id, const std::string& method,
                                        const nlohmann::json& params);
  void Notification(const std::string& method, const nlohmann::json& params);
  /// Drops the server's copy of `uri` and its published diagnostics.
  void Forget(const std::string& uri);
  /// Tells the client a change was not applied; the document is dropped, so
  /// no diagnostics of a text the editor does not show are ever published.
  void RefuseChange(const std::string& uri, const std::string& why);
  nlohmann::json Initialize(const nlohmann::json& params);
  nlohmann::json CodeActions(const nlohmann::json& params) const;
  /// The resolved action; none for a "Fix all", which is answered later.
  std::optional<nlohmann::json> ResolveCodeAction(const nlohmann::json& id, nlohmann::json action);
  /// A diagnostic's fix: the engine's final replacements, else the run's own.
  std::vector<TextEdit> FixOf(const Diagnostic& diagnostic);
  /// Resolves a "Fix all" on the background thread and answers it.
  void ResolveFixAllLater(FixAllWork work);
  /// The fixes of every diagnostic of the work, without overlaps.
  std::vector<TextEdit> FixAllOf(const FixAllWork& work);
  void SendError(const nlohmann::json& id, int code, const std::string& message);
  /// Throws the cancellation error when the client cancelled the request `id`.
  void StopIfCancelled(const nlohmann::json& id) const;

  mutable std::mutex mutex_;
  Options options_;
  LspBackend& backend_;
  Send send_;
  CancellationCheck cancelled_;
  RunningRequests running_;
  ProgressReports progress_;
  OpenDocuments documents_;
  std::map<std::string, Published> published_;  ///< by URI
  bool initialized_ = false;
  bool shutDown_ = false;
  std::atomic<bool> exiting_{false};  ///< exit has come: work under way stops
  bool tracing_ = false;  ///< the client's trace setting is not "off"
  PositionEncoding encoding_ = PositionEncoding::utf16;  ///< agreed at initialize
  BackgroundWork background_;  ///< last, so that its thread ends before the members it uses go
};

}  // namespace zoci
