// The engine's slots as the library uses them: identity, version texts, the
// forwarded queries, arguments it refuses, the output sink's decisions, and
// callbacks that fail.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>
#include <vector>

#include "e2e_samples.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

using testing::HasSubstr;

constexpr const char* kSomeChecks = "-*,modernize-use-nullptr";

uint32_t Ask(ForwardedQuery query, uint32_t value = 0) {
  return RealEngine().ForwardedOperation(static_cast<uint32_t>(query), value, 0);
}

TEST(EngineIdentity, ReportsItsVersionsAnswersForwardedQueriesAndCountsRuns) {
  IZOClangTidy& engine = RealEngine();
  EXPECT_EQ(engine.QueryInterfaceIdentity(), kInterfaceIdentity);
  EXPECT_EQ(engine.QueryBuild().major, 19u);
  EXPECT_THAT(engine.GetVersionText(false), testing::StartsWith("19."));
  EXPECT_THAT(engine.GetVersionText(true), testing::StartsWith("zolibclang2 "));
  EXPECT_EQ(Ask(ForwardedQuery::Echo, 1234), 1234u);
  EXPECT_EQ(Ask(ForwardedQuery::LlvmMajorVersion), 19u);
  EXPECT_EQ(Ask(ForwardedQuery::RunsInProgress), 0u);
  EXPECT_EQ(engine.ForwardedOperation(77, 1, 2), kForwardedUnknownQuery);
  const uint32_t before = Ask(ForwardedQuery::CompletedRuns);
  RunArguments(engine, {"clang-tidy.exe"});
  EXPECT_EQ(Ask(ForwardedQuery::CompletedRuns), before + 1);
}

TEST(EngineArguments, RefusesWhatItDoesNotKnowWithAMessageAndTakesOptionsWithTwoDashes) {
  const std::string file = SamplePath("inventory.cpp");
  std::vector<std::string> twoDashes = LibraryArguments(SampleRequest("inventory.cpp", kSomeChecks));
  for (std::string& argument : twoDashes) {
    if (argument.starts_with("-")) argument.insert(0, "-");
  }
  const std::vector<std::tuple<std::vector<std::string>, int32_t, std::string>> runs = {
      {{"clang-tidy.exe", file, "-fix"}, 1, "error: unsupported argument '-fix'\nusage: "},
      {{"clang-tidy.exe", file, "-checks=a", "-checks=b"}, 1, "error: the option -checks is given twice\n"},
      {{"clang-tidy.exe", file, file}, 1, "error: more than one source file"},
      {{"clang-tidy.exe", "-checks=*"}, 1, "error: no source file given\n"},
      {{"clang-tidy.exe", file, "-config={CheckOptions: [{key: "}, 1, "Error: invalid configuration specified."},
      {{"clang-tidy.exe", file, "-checks=-*"}, 1, "Error: no checks enabled.\n"},
      {twoDashes, 0, ""},
  };
  for (const auto& [arguments, exitCode, message] : runs) {
    const EngineRunResult run = RunArguments(RealEngine(), arguments);
    EXPECT_EQ(run.exitCode, exitCode) << message << run.errors;
    EXPECT_THAT(run.errors, HasSubstr(message));
  }
}

TEST(EngineOutputSink, IsOfferedTheThreeKeysAndDeclinedOnesAreNotCaptured) {
  EngineRequest request = SampleRequest("inventory.cpp", kSomeChecks);
  const std::vector<std::string> arguments = LibraryArguments(request);
  const std::vector<const char*> argv = ArgvOf(arguments);
  std::vector<OutputKey> offered;
  CapturedOutputs* captured = nullptr;
  RealEngine().SetOutputSink(
      [&](OutputKey key, CapturedOutputs& outputs) {
        offered.push_back(key);
        captured = &outputs;
        return key != OutputKey(int32_t{2});
      },
      0);
  testing::internal::CaptureStderr();
  RealEngine().Run(static_cast<int32_t>(argv.size()), argv.data(), nullptr, request.mainFileFolder);
  const std::string processErrors = testing::internal::GetCapturedStderr();
  RealEngine().SetOutputSink({}, 0);

  EXPECT_THAT(offered, testing::ElementsAre(OutputKey(int32_t{2}), OutputKey(std::string("-")),
                                            OutputKey(std::string("zofixes.yaml"))));
  ASSERT_NE(captured, nullptr);
  EXPECT_EQ(captured->count(int32_t{2}), 0u);
  EXPECT_THAT(*captured->at(std::string("-")), HasSubstr("[modernize-use-nullptr]"));
  EXPECT_THAT(*captured->at(std::string("zofixes.yaml")), HasSubstr("DiagnosticName:  modernize-use-nullptr"));
  EXPECT_THAT(processErrors, HasSubstr("warnings generated."));
  captured->clear();
}

TEST(EngineOutputSink, WithoutASinkOrWithOneThatThrowsTheOutputsGoToTheProcessAndTheWorkingFolder) {
  const OutputSinkCallback throwing = [](OutputKey, CapturedOutputs&) -> bool {
    throw std::runtime_error("sink broke");
  };
  for (const OutputSinkCallback& sink : {OutputSinkCallback(), throwing}) {
    TempDir folder;
    const EngineRequest request = FileRequest(folder.Write("clean.cpp", "int* Zero() { return 0; }\n"), kSomeChecks);
    const std::vector<std::string> arguments = LibraryArguments(request);
    const std::vector<const char*> argv = ArgvOf(arguments);
    RealEngine().SetOutputSink(sink, 0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(RealEngine().Run(static_cast<int32_t>(argv.size()), argv.data(), nullptr, request.mainFileFolder), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    const std::string processErrors = testing::internal::GetCapturedStderr();
    RealEngine().SetOutputSink({}, 0);
    EXPECT_THAT(printed, HasSubstr("clean.cpp:1:22: warning: use nullptr [modernize-use-nullptr]"));
    EXPECT_THAT(ReadBytes(folder.Path() / "zofixes.yaml"), HasSubstr("ReplacementText: nullptr"));
    EXPECT_EQ(processErrors.find("the output sink failed: sink broke") != std::string::npos, bool(sink));
  }
}

TEST(EngineCallbacks, AProviderAndAHookThatThrowAreReportedWhileTheDiskIsReadAndTheChecksRun) {
  EngineRequest request = SampleRequest("inventory.cpp", kSomeChecks);
  request.provider = [](std::string_view name, std::string_view) -> std::optional<ProvidedFile> {
    if (name.ends_with("inventory.cpp")) throw std::runtime_error("bad conversion");
    return std::nullopt;
  };
  request.hook = [](uint32_t, HookArgs&&) -> std::optional<HookArgs> { throw std::out_of_range("no such argument"); };
  const EngineRunResult run = RunEngine(RealEngine(), request);
  EXPECT_THAT(run.errors,
              HasSubstr("the file provider failed for '" + SamplePath("inventory.cpp") + "': bad conversion"));
  EXPECT_THAT(run.errors, HasSubstr("error: the check hook failed: no such argument"));
  EXPECT_EQ(CountLines(run.diagnostics, "[modernize-use-nullptr]"), 2);
}

}  // namespace
}  // namespace zotest
