// The language server's dispatch table, outbox and scheduler through their
// interfaces, the scheduler against a scripted server and scripted inspections.
#include <gtest/gtest.h>

#include <thread>

#include "lsp_debounce.h"
#include "lsp_dispatch.h"
#include "lsp_outbox.h"
#include "lsp_protocol.h"
#include "lsp_scheduler.h"

namespace zoci {
namespace {

using nlohmann::json;
using std::chrono::milliseconds;

TEST(LspDispatchTable, AnswersAHandlersFailure) {
  DispatchTable table;
  table.OnRequest<NoParams>(
      "fail", [](const json&, const NoParams&) -> DispatchTable::Result { throw std::runtime_error("broke"); });
  const std::optional<json> answer =
      table.Dispatch({{"jsonrpc", "2.0"}, {"id", 5}, {"method", "fail"}, {"params", json::object()}});
  ASSERT_TRUE(answer);
  EXPECT_EQ((*answer)["error"]["code"], ErrorCode::internalError);
  EXPECT_EQ((*answer)["id"], 5);
}

TEST(LspOutbox, WritesEveryThreadsMessagesOnceInTheOrderPosted) {
  std::vector<json> written;
  Outbox outbox([&written](const json& message) { written.push_back(message); });  // one writer at a time
  constexpr int kThreads = 4, kMessages = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&outbox, t] {
      for (int i = 0; i < kMessages; ++i) {
        outbox.Post(json{{"thread", t}, {"i", i}});
        outbox.Flush();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  ASSERT_EQ(written.size(), size_t{kThreads * kMessages});
  std::vector<int> next(kThreads, 0);
  for (const json& message : written) EXPECT_EQ(message["i"], next[message["thread"].get<int>()]++);
}

/// The server side of the scheduler: records what runs leave, and lets a
/// test act from inside a callback (where the scheduler must hold no lock).
class ScriptedServer : public SchedulerCallbacks {
 public:
  std::optional<DocumentSnapshot> Snapshot(const std::string& uri) const override {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!versions_.count(uri)) return std::nullopt;
    return DocumentSnapshot{"/w/" + uri, versions_.at(uri), {}};
  }
  std::string BeginProgress(const std::string& uri, const std::string&) override { return uri; }
  void EndProgress(const std::string& token, const std::string& message) override {
    Record("end " + token + ": " + message);
  }
  void Publish(const std::string& uri, int64_t version, std::vector<Diagnostic> diagnostics) override {
    if (onPublish) onPublish();
    Record("publish " + uri + " " + std::to_string(version) + " (" + std::to_string(diagnostics.size()) + ")");
  }
  void ShowMessage(MessageType, const std::string& message) override { Record("show " + message); }
  void Trace(const std::string&) override {}

  void SetVersion(const std::string& uri, int64_t version) {
    const std::lock_guard<std::mutex> lock(mutex_);
    versions_[uri] = version;
  }
  /// Waits (at most a minute) for `count` events; all of them.
  std::vector<std::string> Await(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::minutes(1), [&] { return events_.size() >= count; });
    return events_;
  }

  std::function<void()> onPublish;

 private:
  void Record(const std::string& event) {
    const std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::string, int64_t> versions_;
  std::vector<std::string> events_;
};

/// Inspections whose runs hold until the test lets them end; each finds one
/// diagnostic and the warnings the test sets.
class ScriptedInspections : public Inspections {
 public:
  std::string Start(const Options&) override { return {}; }
  DocumentRun Inspect(const DocumentSnapshot& snapshot, const std::shared_ptr<ParserSwitch>& parserSwitch) override {
    std::unique_lock<std::mutex> lock(mutex_);
    running_ = parserSwitch;
    started_.notify_all();
    released_.wait_for(lock, std::chrono::minutes(1), [&] { return holds_ == 0 || parserSwitch->IsOff(); });
    if (holds_ > 0) --holds_;
    DocumentRun run;
    run.file.path = snapshot.path;
    run.file.warnings = warnings;
    run.file.diagnostics.resize(1);
    run.filesRead = {snapshot.path, "/w/./" + snapshot.path.substr(3) + ".h", "/w/common.h"};
    return run;
  }
  std::vector<TextEdit> FinalFix(int32_t) override { return {}; }
  std::optional<std::vector<TextEdit>> FinalFixes(const std::vector<int32_t>&) override { return std::nullopt; }

  void Hold() {  // the next run waits until it is switched off
    const std::lock_guard<std::mutex> lock(mutex_);
    ++holds_;
  }
  /// Waits until a run has started; its switch.
  std::shared_ptr<ParserSwitch> AwaitRun() {
    std::unique_lock<std::mutex> lock(mutex_);
    started_.wait_for(lock, std::chrono::minutes(1), [&] { return running_ != nullptr; });
    return std::exchange(running_, nullptr);
  }
  void Nudge() { released_.notify_all(); }  ///< a held run looks at its switch

  std::vector<std::string> warnings;

 private:
  std::mutex mutex_;
  std::condition_variable started_, released_;
  int holds_ = 0;
  std::shared_ptr<ParserSwitch> running_;
};

struct Scheduling {
  explicit Scheduling(Debounce::Policy policy = {milliseconds(0), milliseconds(0), 1.0, 8})
      : scheduler(inspections, Debounce(policy)) {
    scheduler.Attach(server);
    EXPECT_EQ(scheduler.Start(Options{}), "");
    server.SetVersion("a", 1);
  }

  ScriptedServer server;
  ScriptedInspections inspections;
  InspectionScheduler scheduler;
};

TEST(LspScheduler, AChangeSwitchesOffTheRunUnderWayWhichIsNotPublished) {
  Scheduling s;
  s.inspections.Hold();
  s.scheduler.Opened("a");
  const std::shared_ptr<ParserSwitch> first = s.inspections.AwaitRun();
  s.server.SetVersion("a", 2);
  s.scheduler.Changed("a");
  EXPECT_TRUE(first->IsOff());
  s.inspections.Nudge();
  EXPECT_EQ(s.server.Await(3), (std::vector<std::string>{"end a: stopped", "end a: 1 diagnostic", "publish a 2 (1)"}));
}

TEST(LspScheduler, CallbacksRunWithoutTheSchedulersLockAndProblemsShowOnce) {
  Scheduling s;
  s.inspections.warnings = {"a header was read as UTF-8"};
  int published = 0;
  s.server.onPublish = [&] {  // a callback that reaches back into the scheduler
    if (++published < 3) s.scheduler.Changed("a");
  };
  s.scheduler.Opened("a");
  const std::vector<std::string> events = s.server.Await(7);
  const std::string shown = "show zoci: /w/a: a header was read as UTF-8";
  EXPECT_EQ(std::count(events.begin(), events.end(), shown), 1) << testing::PrintToString(events);
  EXPECT_EQ(std::count(events.begin(), events.end(), "publish a 1 (1)"), 3) << testing::PrintToString(events);
}

TEST(LspScheduler, OnlyRunsAfterAChangeThatFollowsAnotherSetTheWait) {
  // Any run that counted would make the next wait an hour.
  Scheduling s({milliseconds(0), std::chrono::hours(1), 1e9, 8});
  s.server.SetVersion("b", 1);
  s.scheduler.Opened("a");  // an opening run also builds what later runs reuse
  s.server.Await(2);
  s.scheduler.Opened("b");  // runs once the worker is done with "a"
  s.server.Await(4);
  s.server.SetVersion("a", 2);
  s.scheduler.Changed("a");  // may still wait for what the opening run started
  EXPECT_EQ(s.server.Await(6).back(), "publish a 2 (1)");
  s.server.SetVersion("a", 3);
  s.scheduler.Changed("a");
  EXPECT_EQ(s.server.Await(8).back(), "publish a 3 (1)");
}

// Each run here reads its document, "/w/<uri>.h" and "/w/common.h".
TEST(LspScheduler, AFileWithAnotherTextRunsAgainAtOnceTheOpenDocumentsWhoseLastRunReadIt) {
  Scheduling s({std::chrono::hours(1), std::chrono::hours(1), 1.0, 8});
  s.server.SetVersion("b", 1);
  s.scheduler.FileTextChanged("/w/a.h");  // before any run: nothing read yet
  s.scheduler.Opened("a");
  s.scheduler.Opened("b");
  s.server.Await(4);
  // A wrongly scheduled "a" would run first: it comes first in every list.
  s.scheduler.FileTextChanged("/w/a");  // the document's own text is what its run read
  s.scheduler.FileTextChanged("/w/sub/../b.h");
  EXPECT_EQ(s.server.Await(6).at(4), "end b: 1 diagnostic");
  s.scheduler.Closed("a");
  s.scheduler.FileTextChanged("/w/common.h");
  EXPECT_EQ(s.server.Await(8).at(6), "end b: 1 diagnostic");
}

TEST(LspScheduler, AnOpenedDocumentRunsAtOnceAndStopEndsWhatWaits) {
  Scheduling s({std::chrono::hours(1), std::chrono::hours(1), 1.0, 8});
  s.scheduler.Changed("a");  // waits an hour
  s.server.SetVersion("b", 1);
  s.scheduler.Opened("b");
  EXPECT_EQ(s.server.Await(2), (std::vector<std::string>{"end b: 1 diagnostic", "publish b 1 (1)"}));
  s.scheduler.Stop();  // returns without waiting for "a"
}

}  // namespace
}  // namespace zoci
