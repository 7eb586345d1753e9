// The file parser: switching off, skipping, header refusal, and how requests
// of one parser and of several parsers share time.
#include <gmock/gmock.h>

#include <atomic>
#include <future>
#include <thread>

#include "hostlib/zoipc.h"
#include "support/run_fixture.h"

namespace zotest {
namespace {

/// Counts log lines the library writes to the host's log.
class HostLog {
 public:
  HostLog() {
    zoIPC::host::SetLogSink([this](Quillfern::ZoCodeInspections::Logging::Level level, const std::string& text) {
      std::lock_guard lock(mutex_);
      lines_.push_back(std::to_string(static_cast<int>(level)) + " " + text);
    });
  }
  ~HostLog() { zoIPC::host::SetLogSink(nullptr); }
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

/// Counts who is inside and the most that were inside at once.
class Occupancy {
 public:
  /// Returns how many are inside now.
  int Enter() {
    const int now = ++inside_;
    int most = most_.load();
    while (most < now && !most_.compare_exchange_weak(most, now)) {
    }
    return now;
  }
  void Leave() { --inside_; }
  int Most() const { return most_; }

 private:
  std::atomic<int> inside_{0};
  std::atomic<int> most_{0};
};

TEST_F(RunTest, ASwitchedOffParserLogsOnceAndReturnsNothing) {
  HostLog log;
  std::unique_ptr<IZoFileParser> parser(service.CreateFileParser("a.cpp", {}));
  parser->SetEnabled(false);
  EXPECT_EQ(parser->Parse(0, {}, checks, fixlessChecks, checkOptions), nullptr);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"4 Disabled before parse -- skipping"});
  EXPECT_TRUE(engine.Calls().empty());
}

TEST_F(RunTest, SkipRunAnswersDistinctEmptyResultsWithoutTheEngine) {
  InspectionSettings settings;
  settings.skipRun = true;
  std::unique_ptr<IZoFileParser> parser(service.CreateFileParser("a.cpp", settings));
  auto first = parser->Parse(0, {}, checks, fixlessChecks, checkOptions);
  auto second = parser->Parse(0, {}, checks, fixlessChecks, checkOptions);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->status, 102);
  EXPECT_EQ(second->parseNumber, first->parseNumber + 1);
  EXPECT_NE(first->runId, second->runId);
  EXPECT_EQ(first->logText, "");
  EXPECT_TRUE(engine.Calls().empty());
}

TEST_F(RunTest, HeadersAreInspectedOnlyWhenAllowed) {
  const auto header = dir.Write("a.h", "int x;\n").string();
  InspectionSettings settings;
  settings.headerExtensions = {".h"};
  EXPECT_EQ(Parse(header, settings), nullptr);
  EXPECT_TRUE(engine.Calls().empty());
  EXPECT_NE(Parse(header, settings, ModeFlags::allowHeaderFile), nullptr);
}

TEST_F(RunTest, SwitchingOffDuringARunDiscardsItsResult) {
  const auto file = dir.Write("a.cpp", "int x;\n").string();
  std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(file, {}));
  EngineScript script = ScriptWithFixes("", std::nullopt);
  script.duringRun = [&] { parser->SetEnabled(false); };
  engine.SetScript(script);
  EXPECT_EQ(parser->Parse(0, {}, checks, fixlessChecks, checkOptions), nullptr);
}

TEST_F(RunTest, RunsOfDifferentParsersOverlap) {
  const auto a = dir.Write("a.cpp", "int a;\n").string();
  const auto b = dir.Write("b.cpp", "int b;\n").string();
  Occupancy engineRuns;
  std::promise<void> bothInside;
  const std::shared_future<void> gate = bothInside.get_future().share();
  EngineScript script = ScriptWithFixes("", std::nullopt);
  script.duringRun = [&] {
    if (engineRuns.Enter() == 2) bothInside.set_value();
    gate.wait();
    engineRuns.Leave();
  };
  engine.SetScript(script);
  auto first = std::async(std::launch::async, [&] {
    CheckOptions options;
    std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(a, {}));
    return parser->Parse(0, {}, checks, fixlessChecks, options);
  });
  auto second = std::async(std::launch::async, [&] {
    CheckOptions options;
    std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(b, {}));
    return parser->Parse(0, {}, checks, fixlessChecks, options);
  });
  EXPECT_EQ(first.get()->status, 1);
  EXPECT_EQ(second.get()->status, 1);
  EXPECT_EQ(engineRuns.Most(), 2);
}

TEST_F(RunTest, RequestsOfOneParserRunOneAfterTheOther) {
  const auto a = dir.Write("a.cpp", "int a;\n").string();
  std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(a, {}));
  Occupancy engineRuns;
  EngineScript script = ScriptWithFixes("", std::nullopt);
  script.duringRun = [&] {
    engineRuns.Enter();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    engineRuns.Leave();
  };
  engine.SetScript(script);
  auto request = [&] {
    CheckOptions options;
    return parser->Parse(0, {}, checks, fixlessChecks, options);
  };
  auto first = std::async(std::launch::async, request);
  auto second = std::async(std::launch::async, request);
  EXPECT_TRUE(first.get());
  EXPECT_TRUE(second.get());
  EXPECT_EQ(engineRuns.Most(), 1);
}

}  // namespace
}  // namespace zotest
