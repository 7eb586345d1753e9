// When the language server's documents are inspected: one worker that runs
// an opened document at once and a changed one after a short adaptive wait
// (lsp_debounce.h), one run at a time, and switches off a run whose document
// has changed or closed since it started. A file saved or closed runs again at
// once the documents whose last run read it, as their diagnostics may be
// stale. It reaches the server only through SchedulerCallbacks and the engine
// only through Inspections, and calls neither while holding its lock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "lsp_backend.h"
#include "lsp_debounce.h"
#include "lsp_scheduling.h"
#include "options.h"
#include "parser_switch.h"
#include "report.h"

namespace zoci {

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
  void FileTextChanged(const std::string& path) override;
  std::vector<TextEdit> FinalFix(int32_t token) override;
  std::optional<std::vector<TextEdit>> FinalFixes(const std::vector<int32_t>& tokens) override;

 private:
  /// When a waiting document is due, and whether a change (not an open) put it there.
  struct Due {
    Clock::time_point at;
    bool afterChange = false;
  };

  /// Inspects `uri` at `due`, switching off a run of it under way.
  void Schedule(const std::string& uri, Due due);
  void Work();
  /// Runs `uri` when it is still open; false when the run was switched off.
  bool Run(const std::string& uri, const std::shared_ptr<ParserSwitch>& parserSwitch);
  /// Keeps what the run of `uri` (at `path`) read besides the document, for FileTextChanged.
  void RememberRead(const std::string& uri, const std::string& path, const std::vector<std::string>& filesRead);
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
  std::map<std::string, Due> due_;  ///< documents waiting, by URI
  /// Documents whose first run after a change has completed.
  std::set<std::string> changedBefore_;
  std::string runningUri_;
  std::shared_ptr<ParserSwitch> runningSwitch_;
  bool stopping_ = false;
  std::map<std::string, std::string> shownProblems_;  ///< by URI; the worker's own
  /// The files each open document's last completed run read, besides the
  /// document itself (normalised absolute paths), by URI.
  std::map<std::string, std::set<std::string>> readBy_;
  std::thread worker_;
};

}  // namespace zoci
