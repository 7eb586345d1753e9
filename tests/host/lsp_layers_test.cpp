// The language server's layers through their interfaces: the dispatch table
// (what it answers for the handlers), the outbox (order, and nothing lost
// between threads), the wait after a change, and the scheduler against a
// scripted server and scripted inspections.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
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

json Request(const json& id, const std::string& method, const json& params = json::object()) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}};
}

json Notification(const std::string& method, const json& params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
}

TEST(LspDispatchTable, AnswersWhatNoHandlerCan) {
  DispatchTable table;
  std::vector<std::string> handled;
  json response;
  table.OnRequest<DidCloseParams>("close", [&](const json&, const DidCloseParams& params) -> DispatchTable::Result {
    handled.push_back("close " + params.uri);
    return json("closed");
  });
  table.OnRequest<NoParams>("later",
                            [&](const json&, const NoParams&) -> DispatchTable::Result { return std::nullopt; });
  table.OnRequest<NoParams>("refuse", [](const json&, const NoParams&) -> DispatchTable::Result {
    throw RpcError(ErrorCode::invalidRequest, "refused");
  });
  table.OnRequest<NoParams>(
      "fail", [](const json&, const NoParams&) -> DispatchTable::Result { throw std::runtime_error("broke"); });
  table.OnNotification<DidCloseParams>(
      "closed", [&](const DidCloseParams& params) { handled.push_back("closed " + params.uri); });
  table.OnResponse([&](const json& message) { response = message; });
  table.GuardWith([](const std::string& method) {
    if (method.rfind("guarded", 0) == 0) throw RpcError(ErrorCode::serverNotInitialized, "not yet");
  });
  table.CheckCancellationsWith([](const json& id) { return id == "cancelled"; });

  const json document = {{"textDocument", {{"uri", "file:///a.c"}}}};
  struct Case {
    json message;
    json answer;  ///< the result, or the error code; null when nothing is answered
  };
  const Case cases[] = {
      {Request(1, "close", document), "closed"},
      {Request(2, "close", {{"textDocument", 3}}), ErrorCode::invalidParams},
      {Request(3, "no/such"), ErrorCode::methodNotFound},
      {Request(4, "refuse"), ErrorCode::invalidRequest},
      {Request(5, "fail"), ErrorCode::internalError},
      {Request(6, "guarded/x"), ErrorCode::serverNotInitialized},
      {Request("cancelled", "close", document), ErrorCode::requestCancelled},
      {Request(7, "later"), nullptr},
      {json{{"id", 8}, {"method", 5}}, ErrorCode::invalidRequest},
      {json::array({1, 2}), ErrorCode::invalidRequest},
      {Notification("closed", document), nullptr},
      {Notification("closed", json::object()), nullptr},      // malformed: dropped
      {Notification("guarded/y", document), nullptr},         // refused: dropped
      {Notification("no/such", document), nullptr},
      {json{{"jsonrpc", "2.0"}, {"id", 9}, {"result", 1}}, nullptr},  // the client's response
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.dump());
    const std::optional<json> answer = table.Dispatch(c.message);
    if (c.answer.is_null()) {
      EXPECT_FALSE(answer);
    } else if (c.answer.is_number()) {
      ASSERT_TRUE(answer && answer->contains("error"));
      EXPECT_EQ((*answer)["error"]["code"], c.answer);
      EXPECT_EQ((*answer)["id"], c.message.is_object() ? c.message.value("id", json()) : json());
    } else {
      ASSERT_TRUE(answer);
      EXPECT_EQ((*answer)["result"], c.answer);
    }
  }
  EXPECT_EQ(handled, (std::vector<std::string>{"close file:///a.c", "closed file:///a.c"}));
  EXPECT_EQ(response["result"], 1);
}

TEST(LspOutbox, WritesEveryThreadsMessagesOnceInTheOrderPosted) {
  std::vector<json> written;
  Outbox outbox([&written](const json& message) { written.push_back(message); });  // one writer at a time
  constexpr int kThreads = 4, kMessages = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&outbox, &written, t] {
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

TEST(LspDebounce, WaitsAShareOfTheMedianRunWithinBounds) {
  const Debounce::Policy policy{milliseconds(20), milliseconds(200), 0.25, 3};
  struct Case {
    std::vector<int> runs;  ///< milliseconds, oldest first
    int wait;
  };
  const Case cases[] = {
      {{}, 20},                    // no run yet: the shortest
      {{400}, 100},                // a quarter
      {{40}, 20},                  // not below the shortest
      {{4000}, 200},               // nor above the longest
      {{400, 4000, 40}, 100},      // the median, not the mean
      {{4000, 4000, 400, 400, 40}, 100},  // of the last three only
  };
  for (const Case& c : cases) {
    Debounce debounce(policy);
    for (const int run : c.runs) debounce.Ran(milliseconds(run));
    EXPECT_EQ(debounce.Wait(), milliseconds(c.wait)) << testing::PrintToString(c.runs);
  }
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
    return run;
  }
  std::vector<TextEdit> FinalFix(int32_t) override { return {}; }

  /// The next run waits until Release or until it is switched off.
  void Hold() {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++holds_;
  }
  void Release() {
    const std::lock_guard<std::mutex> lock(mutex_);
    holds_ = 0;
    released_.notify_all();
  }
  /// Waits until a run has started; its switch.
  std::shared_ptr<ParserSwitch> AwaitRun() {
    std::unique_lock<std::mutex> lock(mutex_);
    started_.wait_for(lock, std::chrono::minutes(1), [&] { return running_ != nullptr; });
    return std::exchange(running_, nullptr);
  }
  /// Wakes a held run to look at its switch.
  void Nudge() { released_.notify_all(); }

  std::vector<std::string> warnings;

 private:
  std::mutex mutex_;
  std::condition_variable started_, released_;
  int holds_ = 0;
  std::shared_ptr<ParserSwitch> running_;
};

class LspSchedulerTest : public testing::Test {
 protected:
  explicit LspSchedulerTest(Debounce::Duration wait = milliseconds(0))
      : scheduler(inspections, Debounce(Debounce::Policy{wait, wait, 1.0, 8})) {
    scheduler.Attach(server);
    EXPECT_EQ(scheduler.Start(Options{}), "");
  }

  ScriptedServer server;
  ScriptedInspections inspections;
  InspectionScheduler scheduler;
};

TEST_F(LspSchedulerTest, AChangeSwitchesOffTheRunUnderWayWhichIsNotPublished) {
  server.SetVersion("a", 1);
  inspections.Hold();
  scheduler.Opened("a");
  const std::shared_ptr<ParserSwitch> first = inspections.AwaitRun();
  server.SetVersion("a", 2);
  scheduler.Changed("a");
  EXPECT_TRUE(first->IsOff());
  inspections.Nudge();
  EXPECT_EQ(server.Await(3), (std::vector<std::string>{"end a: stopped", "end a: 1 diagnostic", "publish a 2 (1)"}));
}

TEST_F(LspSchedulerTest, CallbacksRunWithoutTheSchedulersLockAndProblemsShowOnce) {
  server.SetVersion("a", 1);
  inspections.warnings = {"a header was read as UTF-8"};
  int published = 0;
  server.onPublish = [&] {  // a callback that reaches back into the scheduler
    if (++published < 3) scheduler.Changed("a");
  };
  scheduler.Opened("a");
  const std::vector<std::string> events = server.Await(7);
  const std::string shown = "show zoci: /w/a: a header was read as UTF-8";
  EXPECT_EQ(std::count(events.begin(), events.end(), shown), 1) << testing::PrintToString(events);
  EXPECT_EQ(std::count(events.begin(), events.end(), "publish a 1 (1)"), 3) << testing::PrintToString(events);
}

TEST(LspSchedulerWait, OnlyRunsAfterAChangeSetIt) {
  ScriptedServer server;
  ScriptedInspections inspections;
  // Any run that counted would make the next wait an hour.
  InspectionScheduler scheduler(inspections,
                                Debounce(Debounce::Policy{milliseconds(0), std::chrono::hours(1), 1e9, 8}));
  scheduler.Attach(server);
  ASSERT_EQ(scheduler.Start(Options{}), "");
  server.SetVersion("a", 1);
  server.SetVersion("b", 1);
  scheduler.Opened("a");  // an opening run also builds what later runs reuse
  server.Await(2);
  scheduler.Opened("b");  // runs once the worker is done with "a"
  server.Await(4);
  server.SetVersion("a", 2);
  scheduler.Changed("a");
  EXPECT_EQ(server.Await(6).back(), "publish a 2 (1)");
}

class LspSchedulerLongWaitTest : public LspSchedulerTest {
 protected:
  LspSchedulerLongWaitTest() : LspSchedulerTest(std::chrono::hours(1)) {}
};

TEST_F(LspSchedulerLongWaitTest, AnOpenedDocumentRunsAtOnceAndStopEndsWhatWaits) {
  server.SetVersion("a", 1);
  scheduler.Changed("a");  // waits an hour
  server.SetVersion("b", 1);
  scheduler.Opened("b");
  EXPECT_EQ(server.Await(2), (std::vector<std::string>{"end b: 1 diagnostic", "publish b 1 (1)"}));
  scheduler.Stop();  // returns without waiting for "a"
}

}  // namespace
}  // namespace zoci
