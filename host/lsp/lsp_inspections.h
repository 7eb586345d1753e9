// The inspections behind `zoci lsp`: one worker that inspects changed
// documents after a short quiet time, one run at a time, and switches off a
// run whose document has changed or closed since it started.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "inspection.h"
#include "lsp_backend.h"
#include "lsp_server.h"

namespace zoci {

class InspectionQueue : public LspBackend {
 public:
  using Clock = std::chrono::steady_clock;

  explicit InspectionQueue(Clock::duration quietTime);
  ~InspectionQueue() override { Stop(); }
  /// Switches off the run under way and ends the worker.
  void Stop();
  /// The server whose documents are inspected and which publishes the results.
  void Attach(LspServer& server) { server_ = &server; }

  std::string Start(const Options& options) override;
  void Changed(const std::string& uri) override;
  void Cancel(const std::string& uri) override;
  void Closed(const std::string& uri) override;
  std::vector<TextEdit> FinalFix(int32_t token) override;

 private:
  void Work();
  void Inspect(const std::string& uri, const std::shared_ptr<ParserSwitch>& parserSwitch);
  /// Tells the user why a run of `uri` failed, or what went wrong in a run
  /// that did not, unless the previous run of `uri` had the same problems.
  void ShowProblems(const std::string& uri, const InspectedFile& file);
  /// Switches off the run under way when it inspects `uri`.
  void SwitchOffRunOf(const std::string& uri);

  const Clock::duration quietTime_;
  LspServer* server_ = nullptr;
  Options options_;
  std::optional<Inspector> inspector_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::map<std::string, Clock::time_point> due_;  ///< documents waiting, by URI
  std::string runningUri_;
  std::shared_ptr<ParserSwitch> runningSwitch_;
  bool stopping_ = false;
  std::map<std::string, std::string> shownProblems_;  ///< by URI; the worker's own
  std::thread worker_;
};

}  // namespace zoci
