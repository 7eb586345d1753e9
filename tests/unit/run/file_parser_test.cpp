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

TEST_F(RunTest, SwitchedOffParsersAndRefusedHeadersReturnNothingWithoutTheEngine) {
  std::vector<std::string> logged;  // written on this thread: the parse never starts its worker
  zoIPC::host::SetLogSink([&](Quillfern::ZoCodeInspections::Logging::Level level, const std::string& text) {
    logged.push_back(std::to_string(static_cast<int>(level)) + " " + text);
  });
  std::unique_ptr<IZoFileParser> parser(service.CreateFileParser("a.cpp", {}));
  parser->SetEnabled(false);
  EXPECT_EQ(parser->Parse(0, {}, checks, fixlessChecks, checkOptions), nullptr);
  zoIPC::host::SetLogSink(nullptr);
  EXPECT_EQ(logged, std::vector<std::string>{"4 Disabled before parse -- skipping"});
  const auto header = dir.Write("a.h", "int x;\n").string();
  InspectionSettings settings;
  settings.headerExtensions = {".h"};
  EXPECT_EQ(Parse(header, settings), nullptr);
  EXPECT_TRUE(engine.Calls().empty());
  EXPECT_NE(Parse(header, settings, ModeFlags::allowHeaderFile), nullptr);
}

TEST_F(RunTest, SkipRunAnswersDistinctEmptyResultsWithoutTheEngine) {
  InspectionSettings settings;
  settings.skipRun = true;
  auto first = Parse("a.cpp", settings);
  auto second = Parse("a.cpp", settings);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->status, 102);
  EXPECT_EQ(second->parseNumber, first->parseNumber + 1);
  EXPECT_NE(first->runId, second->runId);
  EXPECT_EQ(first->logText, "");
  EXPECT_TRUE(engine.Calls().empty());
}

TEST_F(RunTest, SwitchingOffDuringARunDiscardsItsResult) {
  std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(dir.Write("a.cpp", "int x;\n").string(), {}));
  engine.SetScript(ScriptDuring([&] { parser->SetEnabled(false); }));
  EXPECT_EQ(parser->Parse(0, {}, checks, fixlessChecks, checkOptions), nullptr);
}

// Two requests at once, of two parsers or of one: whether their engine runs
// were inside at the same time.
TEST_F(RunTest, RunsOfDifferentParsersOverlapAndThoseOfOneParserDoNot) {
  std::unique_ptr<IZoFileParser> a(service.CreateFileParser(dir.Write("a.cpp", "int a;\n").string(), {}));
  std::unique_ptr<IZoFileParser> b(service.CreateFileParser(dir.Write("b.cpp", "int b;\n").string(), {}));
  for (IZoFileParser* second : {b.get(), a.get()}) {
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::promise<void> bothInside;
    const std::shared_future<void> gate = bothInside.get_future().share();
    engine.SetScript(ScriptDuring([&] {
      if (++inside == 2) {
        overlapped = true;
        bothInside.set_value();
      }
      // Two parsers meet at the gate; one parser's requests only pause.
      if (second == b.get()) gate.wait();
      else std::this_thread::sleep_for(std::chrono::milliseconds(20));
      --inside;
    }));
    auto request = [&](IZoFileParser* parser) {
      CheckOptions options;
      return parser->Parse(0, {}, checks, fixlessChecks, options);
    };
    auto first = std::async(std::launch::async, request, a.get());
    auto other = std::async(std::launch::async, request, second);
    EXPECT_EQ(first.get()->status, 1);
    EXPECT_EQ(other.get()->status, 1);
    EXPECT_EQ(overlapped, second == b.get());
  }
}

}  // namespace
}  // namespace zotest
