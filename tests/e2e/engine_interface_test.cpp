// The engine's slots as the library uses them: identity, version texts, the
// forwarded queries, refused arguments, the output sink's decisions, and
// callbacks that fail.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "e2e_samples.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

using testing::HasSubstr;

constexpr const char* kSomeChecks = "-*,modernize-use-nullptr";

int32_t RunWithArguments(const std::vector<std::string>& arguments, std::string* errors) {
  const std::vector<const char*> argv = ArgvOf(arguments);
  CapturedOutputs* captured = nullptr;
  RealEngine().SetOutputSink(
      [&captured](OutputKey, CapturedOutputs& outputs) {
        captured = &outputs;
        return true;
      },
      0);
  const int32_t exitCode = RealEngine().Run(static_cast<int32_t>(argv.size()), argv.data(), nullptr, std::nullopt);
  RealEngine().SetOutputSink({}, 0);
  if (captured != nullptr && captured->count(int32_t{2}) != 0) *errors = *captured->at(int32_t{2});
  return exitCode;
}

TEST(EngineIdentity, ReportsItsVersionsAnswersForwardedQueriesAndMarksUnknownOnes) {
  IZOClangTidy& engine = RealEngine();
  EXPECT_EQ(engine.QueryInterfaceIdentity(), kInterfaceIdentity);
  EXPECT_EQ(engine.QueryBuild().major, 19u);
  EXPECT_THAT(engine.GetVersionText(false), testing::StartsWith("19."));
  EXPECT_THAT(engine.GetVersionText(true), testing::StartsWith("zolibclang2 "));
  EXPECT_EQ(engine.ForwardedOperation(static_cast<uint32_t>(ForwardedQuery::Echo), 1234, 0), 1234u);
  EXPECT_EQ(engine.ForwardedOperation(static_cast<uint32_t>(ForwardedQuery::LlvmMajorVersion), 0, 0), 19u);
  EXPECT_EQ(engine.ForwardedOperation(static_cast<uint32_t>(ForwardedQuery::RunsInProgress), 0, 0), 0u);
  EXPECT_EQ(engine.ForwardedOperation(77, 1, 2), kForwardedUnknownQuery);

  const uint32_t before = engine.ForwardedOperation(static_cast<uint32_t>(ForwardedQuery::CompletedRuns), 0, 0);
  std::string errors;
  RunWithArguments({"clang-tidy.exe"}, &errors);
  EXPECT_EQ(engine.ForwardedOperation(static_cast<uint32_t>(ForwardedQuery::CompletedRuns), 0, 0), before + 1);
}

TEST(EngineArguments, RefusesWhatItDoesNotKnowWithAMessageAndExitCode1) {
  const std::string file = SamplePath("inventory.cpp");
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"clang-tidy.exe", file, "-fix"}, "unsupported argument '-fix'"},
      {{"clang-tidy.exe", file, "-checks=a", "-checks=b"}, "the option -checks is given twice"},
      {{"clang-tidy.exe", file, file}, "more than one source file"},
      {{"clang-tidy.exe", "-checks=*"}, "no source file given"},
      {{"clang-tidy.exe", file, "-enable-check-profile=yes"}, "unsupported argument"},
  };
  for (const auto& [arguments, message] : refused) {
    std::string errors;
    EXPECT_EQ(RunWithArguments(arguments, &errors), 1) << message;
    EXPECT_THAT(errors, HasSubstr("error: " + message)) << message;
    EXPECT_THAT(errors, HasSubstr("usage: ")) << message;
  }
}

TEST(EngineArguments, ReportsAConfigurationThatDoesNotParseAndThatNoCheckIsEnabled) {
  std::string errors;
  const std::string file = SamplePath("inventory.cpp");
  EXPECT_EQ(RunWithArguments({"clang-tidy.exe", file, "-config={CheckOptions: [{key: "}, &errors), 1);
  EXPECT_THAT(errors, HasSubstr("Error: invalid configuration specified."));
  EXPECT_EQ(RunWithArguments({"clang-tidy.exe", file, "-checks=-*"}, &errors), 1);
  EXPECT_EQ(errors, "Error: no checks enabled.\n");
}

TEST(EngineArguments, TakesOptionsWithTwoDashesToo) {
  EngineRequest request = SampleRequest("inventory.cpp", kSomeChecks);
  std::vector<std::string> arguments = LibraryArguments(request);
  for (std::string& argument : arguments) {
    if (argument.starts_with("-") && argument != "-") argument = std::string(1, '-').append(argument);
  }
  std::string errors;
  EXPECT_EQ(RunWithArguments(arguments, &errors), 0) << errors;
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
  const OutputSinkCallback throwing = [](OutputKey, CapturedOutputs&) -> bool { throw std::runtime_error("sink broke"); };
  for (const OutputSinkCallback& sink : {OutputSinkCallback(), throwing}) {
    TempDir folder;
    const auto source = folder.Write("clean.cpp", "int* Zero() { return 0; }\n");
    const EngineRequest request = FileRequest(source, kSomeChecks);
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

TEST(EngineCallbacks, AProviderThatThrowsIsReportedAndTheDiskIsRead) {
  EngineRequest request = SampleRequest("inventory.cpp", kSomeChecks);
  request.provider = [](std::string_view name, std::string_view) -> std::optional<ProvidedFile> {
    if (name.ends_with("inventory.cpp")) throw std::runtime_error("bad conversion");
    return std::nullopt;
  };
  const EngineRunResult run = RunEngine(RealEngine(), request);
  EXPECT_THAT(run.errors, HasSubstr("the file provider failed for '" + SamplePath("inventory.cpp") +
                                    "': bad conversion"));
  EXPECT_EQ(CountLines(run.diagnostics, "[modernize-use-nullptr]"), 2);
}

TEST(EngineCallbacks, AHookThatThrowsIsReportedAndTheChecksRun) {
  EngineRequest request = SampleRequest("inventory.cpp", kSomeChecks);
  request.hook = [](uint32_t, HookArgs&&) -> std::optional<HookArgs> { throw std::out_of_range("no such argument"); };
  const EngineRunResult run = RunEngine(RealEngine(), request);
  EXPECT_THAT(run.errors, HasSubstr("error: the check hook failed: no such argument"));
  EXPECT_EQ(CountLines(run.diagnostics, "[modernize-use-nullptr]"), 2);
}

}  // namespace
}  // namespace zotest
