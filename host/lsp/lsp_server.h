// The language server's state and handlers: JSON-RPC messages (read by the
// dispatch table into typed parameters) turned into document changes, runs
// asked of the backend, published diagnostics and their fixes as code
// actions. Thread-safe: the scheduler's worker takes snapshots and publishes
// while messages arrive. The server's lock guards its state only: the backend
// is called and messages are written after it is released.
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

#include "lsp_backend.h"
#include "lsp_background.h"
#include "lsp_dispatch.h"
#include "lsp_documents.h"
#include "lsp_inbox.h"
#include "lsp_outbox.h"
#include "lsp_progress.h"
#include "lsp_protocol.h"
#include "lsp_scheduling.h"
#include "options.h"
#include "report.h"

namespace zoci {

class LspServer : public SchedulerCallbacks {
 public:
  /// Writes one message to the client; called by one thread at a time.
  using Send = std::function<void(const nlohmann::json&)>;
  /// Whether the client cancelled the request with this id.
  using CancellationCheck = std::function<bool(const nlohmann::json& id)>;
  /// Told when a request goes on after its message was handled (running
  /// true) and when it has been answered (false).
  using RunningRequests = std::function<void(const nlohmann::json& id, bool running)>;

  LspServer(Options options, LspBackend& backend, Send send);
  /// Stops work under way off the message thread at its next step and waits for it.
  ~LspServer() override { exiting_ = true; }

  /// Handles one received message; false once the client has said exit.
  bool Handle(const Incoming& incoming);
  /// Where cancellations are looked up: a cancelled request is answered with
  /// an error instead of a result, and a long one stops between engine calls.
  void CheckCancellationsWith(CancellationCheck cancelled);
  /// Who learns of requests answered later (a "Fix all", which runs off the
  /// message thread), so that their cancellations still count. Set before
  /// the first message.
  void TrackRunningRequestsWith(RunningRequests running) { running_ = std::move(running); }
  /// The exit code after exit: 0 when shutdown came first.
  int ExitCode() const;

  std::optional<DocumentSnapshot> Snapshot(const std::string& uri) const override;
  void Trace(const std::string& message) override;
  void ShowMessage(MessageType type, const std::string& message) override;
  std::string BeginProgress(const std::string& uri, const std::string& message) override;
  void EndProgress(const std::string& token, const std::string& message) override;
  void Publish(const std::string& uri, int64_t version, std::vector<Diagnostic> diagnostics) override;

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

  /// Fills the dispatch table with the handlers below.
  void RegisterHandlers();
  /// Refuses what the state does not allow: anything before initialize, anything after shutdown.
  void Guard(const std::string& method) const;

  nlohmann::json Initialize(const InitializeParams& params);
  void DidOpen(const DidOpenParams& params);
  void DidChange(const DidChangeParams& params);
  void DidClose(const DocumentParams& params);
  /// After a project file changed: every open document is inspected again.
  /// After a save, or a change on disk of a file not open: the documents
  /// whose last run read the file are inspected again.
  void DidSave(const DocumentParams& params);
  void DidChangeWatchedFiles(const WatchedFilesParams& params);
  /// Inspects every open document again when one of `uris` names a project file; whether one did.
  bool InspectAllIfAProjectFile(const std::vector<std::string>& uris);
  /// Tells the backend that the runs now see another text of the file behind `uri`.
  void FileTextChanged(const std::string& uri);
  void CancelProgress(const ProgressCancelParams& params);
  nlohmann::json CodeActions(const CodeActionParams& params) const;
  /// The resolved action; none for a "Fix all", which is answered later.
  std::optional<nlohmann::json> ResolveCodeAction(const nlohmann::json& id, const ResolveParams& params);

  /// Drops the server's copy of `uri` and its published diagnostics; under the lock.
  void Forget(const std::string& uri);
  /// Tells the client a change was not applied; the document is dropped, so
  /// no diagnostics of a text the editor does not show are ever published. Under the lock.
  void RefuseChange(const std::string& uri, const std::string& why);
  /// A diagnostic's fix: the engine's final replacements, else the run's own.
  std::vector<TextEdit> FixOf(const Diagnostic& diagnostic);
  /// Resolves a "Fix all" on the background thread and answers it.
  void ResolveFixAllLater(FixAllWork work);
  /// The fixes of every diagnostic of the work, without overlaps.
  std::vector<TextEdit> FixAllOf(const FixAllWork& work);
  /// Throws the cancellation error when the client cancelled the request `id`.
  void StopIfCancelled(const nlohmann::json& id) const;

  mutable std::mutex mutex_;
  Options options_;
  LspBackend& backend_;
  Outbox outbox_;
  DispatchTable table_;
  CancellationCheck cancelled_;
  RunningRequests running_;
  ProgressReports progress_;
  OpenDocuments documents_;
  std::map<std::string, Published> published_;  ///< by URI
  bool initialized_ = false;
  bool initializing_ = false;  ///< the backend starts, without the lock
  bool shutDown_ = false;
  std::atomic<bool> exiting_{false};  ///< exit has come: work under way stops
  bool tracing_ = false;  ///< the client's trace setting is not "off"
  PositionEncoding encoding_ = PositionEncoding::utf16;  ///< agreed at initialize
  bool watchesFiles_ = false;  ///< the client reports changes of the files the server registers for
  BackgroundWork background_;  ///< last, so that its thread ends before the members it uses go
};

}  // namespace zoci
