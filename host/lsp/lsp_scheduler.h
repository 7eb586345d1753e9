// When the language server's documents are inspected: one worker that runs
// an opened document at once and a changed one after a short adaptive wait
// (lsp_debounce.h), one run at a time, and switches off a run whose document
// has changed or closed since it started. It reaches the server only through
// SchedulerCallbacks and the engine only through Inspections, and calls
// neither while holding its lock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "interop/file_parser.h"
#include "lsp_backend.h"
#include "lsp_debounce.h"
#include "options.h"
#include "parser_switch.h"
#include "report.h"

namespace zoci {

/// What a run of one document inspects: its path and version, and every open text.
struct DocumentSnapshot {
  std::string path;
  int64_t version = 0;
  Quillfern::ZoCodeInspections::Native::UnsavedBuffers buffers;  ///< by absolute path
};

/// Kinds of window/showMessage.
enum class MessageType { error = 1, warning = 2 };

/// The server as the scheduler sees it: where a run gets its text and leaves
/// its results. Called from the scheduler's worker.
class SchedulerCallbacks {
 public:
  virtual ~SchedulerCallbacks() = default;
  /// What to inspect for `uri`; none when it is no longer open.
  virtual std::optional<DocumentSnapshot> Snapshot(const std::string& uri) const = 0;
  /// Shows that `uri` is being inspected; the report's token (empty when none is shown).
  virtual std::string BeginProgress(const std::string& uri, const std::string& message) = 0;
  /// Ends the report `token` of BeginProgress.
  virtual void EndProgress(const std::string& token, const std::string& message) = 0;
  /// The diagnostics of a run of `uri` at `version`; dropped when the document has moved on.
  virtual void Publish(const std::string& uri, int64_t version, std::vector<Diagnostic> diagnostics) = 0;
  /// Shows `message` to the user.
  virtual void ShowMessage(MessageType type, const std::string& message) = 0;
  /// Adds `message` to the client's trace log when it keeps one.
  virtual void Trace(const std::string& message) = 0;
};

/// What one run of a document produced.
struct DocumentRun {
  InspectedFile file;   ///< with the diagnostics of the document itself only
  std::string logText;  ///< the run's log
};

/// The inspections the scheduler runs (the engine's side).
class Inspections {
 public:
  virtual ~Inspections() = default;
  /// Gets ready to inspect under `options`; an error text when it cannot.
  virtual std::string Start(const Options& options) = 0;
  /// Inspects `snapshot`; a switched-off `parserSwitch` makes the run stop early.
  virtual DocumentRun Inspect(const DocumentSnapshot& snapshot, const std::shared_ptr<ParserSwitch>& parserSwitch) = 0;
  /// The final replacements of the fix claimed under `token`; empty when the engine no longer has them.
  virtual std::vector<TextEdit> FinalFix(int32_t token) = 0;
};

class InspectionScheduler : public LspBackend {
 public:
  using Clock = std::chrono::steady_clock;

  InspectionScheduler(Inspections& inspections, Debounce debounce);
  ~InspectionScheduler() override { Stop(); }
  /// The server whose documents are inspected; set before Start.
  void Attach(SchedulerCallbacks& callbacks) { callbacks_ = &callbacks; }
  /// Switches off the run under way and ends the worker.
  void Stop();

  std::string Start(const Options& options) override;
  void Opened(const std::string& uri) override;
  void Changed(const std::string& uri) override;
  void Cancel(const std::string& uri) override;
  void Closed(const std::string& uri) override;
  std::vector<TextEdit> FinalFix(int32_t token) override;

 private:
  /// Inspects `uri` at `due`, switching off a run of it under way.
  void Schedule(const std::string& uri, Clock::time_point due);
  void Work();
  /// Runs `uri` when it is still open; false when the run was switched off.
  bool Run(const std::string& uri, const std::shared_ptr<ParserSwitch>& parserSwitch);
  /// Tells the user why a run of `uri` failed, or what went wrong in a run
  /// that did not, unless the previous run of `uri` had the same problems.
  void ShowProblems(const std::string& uri, const InspectedFile& file);
  /// The switch of the run under way when it inspects `uri`; under the lock.
  std::shared_ptr<ParserSwitch> RunOf(const std::string& uri) const;

  Inspections& inspections_;
  SchedulerCallbacks* callbacks_ = nullptr;

  std::mutex mutex_;
  std::condition_variable wake_;
  Debounce debounce_;
  std::map<std::string, Clock::time_point> due_;  ///< documents waiting, by URI
  std::string runningUri_;
  std::shared_ptr<ParserSwitch> runningSwitch_;
  bool stopping_ = false;
  std::map<std::string, std::string> shownProblems_;  ///< by URI; the worker's own
  std::thread worker_;
};

}  // namespace zoci
