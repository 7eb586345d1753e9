// The engine's slots as the library uses them: identity, version texts, the
// forwarded queries, the arguments it takes and refuses (the library's
// MSVC-compatibility command line among them), the output sink's decisions,
// the file provider, and callbacks that fail.
#include <stdexcept>

#include "e2e_samples.h"

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
  std::vector<std::string> twoDashes = LibraryArguments(FileRequest(SamplePath("inventory.cpp"), kSomeChecks));
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

// Standard headers of C++17, C++20 and C, 32-bit and 64-bit targets, headers
// as C++, and the Microsoft extensions ordinary code uses inspect on Linux.
constexpr const char* kCppSource =
    "#include <algorithm>\n#include <atomic>\n#include <filesystem>\n#include <iostream>\n#include <map>\n"
    "#include <mutex>\n#include <optional>\n#include <thread>\n#include <variant>\n"
    "struct __declspec(novtable) Base {\n  virtual ~Base() = default;\n  virtual __int64 Value() const = 0;\n};\n"
    "struct Derived : Base {\n  __int64 Value() const override { return __super::Value(); }\n};\n"
    "__forceinline int Twice(int value) { return value * 2; }\n"
    "int Run(std::map<std::string, std::optional<int>>& named, std::variant<int, std::string> either, std::mutex& "
    "guard) {\n  std::atomic<int> counter{0};\n  std::lock_guard<std::mutex> lock(guard);\n"
    "  return Twice(counter.load()) + std::get<int>(either) + static_cast<int>(named.size());\n}\n";
constexpr const char* kCSource =
    "#include <stdint.h>\n#include <stdio.h>\n#include <stdlib.h>\n#include <string.h>\nint Run(void) {\n"
    "  char buffer[16];\n  unsigned __int64 big = 1;\n  snprintf(buffer, sizeof buffer, \"%d\", "
    "(int)strlen(\"abc\"));\n"
    "  return (int)big + atoi(buffer);\n}\n";

TEST(EngineMsvcCommandLine, StandardHeadersInspectWithoutCompilerErrors) {
  // The file (a header is inspected as C++), a 64-bit target, the standard that replaces -std=c++17.
  // clang-format off
  const std::tuple<std::string, bool, std::string> cases[] = {{"code.cpp", true, "-std=c++17"}, {"code.cpp", false, "-std=c++17"},
      {"code.cpp", true, "-std=c++2a"}, {"code.h", true, "-std=c++17"}, {"code.c", false, "-std=c++17"}};
  // clang-format on
  for (const auto& [file, target64Bit, standard] : cases) {
    SCOPED_TRACE(file + " " + standard + (target64Bit ? " x64" : " x86"));
    TempDir folder;
    const bool cplusplus = !file.ends_with(".c");
    EngineRequest request =
        FileRequest(folder.Write(file, cplusplus ? kCppSource : kCSource), "-*,readability-braces-around-statements");
    request.compilerArgs = LibraryCompilerArgs(cplusplus, target64Bit);
    std::replace(request.compilerArgs.begin(), request.compilerArgs.end(), std::string("-std=c++17"), standard);
    const EngineRunResult run = RunEngine(RealEngine(), request);
    EXPECT_EQ(run.exitCode, 0) << run.diagnostics << run.errors;
    EXPECT_EQ(CountLines(run.diagnostics, "error:") + CountLines(run.diagnostics, "warning:"), 0) << run.diagnostics;
  }
}

// A sink takes the keys it accepts; without one, or with one that throws, the
// outputs go to the process and the working folder.
TEST(EngineOutputSink, TakesWhatItAcceptsAndLeavesTheRestToTheProcessAndTheWorkingFolder) {
  std::vector<OutputKey> offered;
  CapturedOutputs* captured = nullptr;
  const OutputSinkCallback declining = [&](OutputKey key, CapturedOutputs& outputs) {
    offered.push_back(key);
    captured = &outputs;
    return key != OutputKey(int32_t{2});
  };
  const OutputSinkCallback throwing = [](OutputKey, CapturedOutputs&) -> bool {
    throw std::runtime_error("sink broke");
  };
  for (const OutputSinkCallback& sink : {declining, OutputSinkCallback(), throwing}) {
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
    EXPECT_THAT(processErrors, HasSubstr("1 warning generated."));
    const std::string warning = "clean.cpp:1:22: warning: use nullptr [modernize-use-nullptr]";
    if (captured != nullptr) {
      EXPECT_THAT(offered, testing::ElementsAre(OutputKey(int32_t{2}), OutputKey(std::string("-")),
                                                OutputKey(std::string("zofixes.yaml"))));
      EXPECT_EQ(captured->count(int32_t{2}), 0u);
      EXPECT_THAT(*captured->at(std::string("-")), HasSubstr(warning));
      EXPECT_THAT(*captured->at(std::string("zofixes.yaml")), HasSubstr("ReplacementText: nullptr"));
      std::exchange(captured, nullptr)->clear();
      continue;
    }
    EXPECT_THAT(printed, HasSubstr(warning));
    EXPECT_THAT(ReadBytes(folder.Path() / "zofixes.yaml"), HasSubstr("ReplacementText: nullptr"));
    EXPECT_EQ(processErrors.find("the output sink failed: sink broke") != std::string::npos, bool(sink));
  }
}

TEST(EngineCallbacks, AProviderAndAHookThatThrowAreReportedWhileTheDiskIsReadAndTheChecksRun) {
  EngineRequest request = FileRequest(SamplePath("inventory.cpp"), kSomeChecks);
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

// Served texts win over the disk, for the main file and for headers, whether or
// not they exist on disk, and an absent answer lets the disk decide; every path
// is asked once per run, folders and the toolchain's files never.
TEST(EngineProvider, ServedTextsWinOverTheDiskKeepTheirIdentityAndEachPathIsAskedOnceNeverAFolder) {
  TempDir folder;
  const auto main = folder.Write("main.cpp", "int* First() { return nullptr; }\n");
  const auto saved = folder.Write("inc/saved.h", "#pragma once\n");
  folder.Write("inc/disk.h", "#pragma once\nint* Disk() { return 0; }\n");
  std::map<std::string, std::shared_ptr<const std::string>> texts;
  std::map<std::string, int> questions;
  texts[main.string()] = std::make_shared<const std::string>(
      "#include \"inc/saved.h\"\n#include \"unsaved.h\"\n#include \"inc/disk.h\"\n#include \"inc/disk.h\"\n"
      "#include <vector>\nint* Sixth() { return 0; }\n");
  texts[saved.string()] = std::make_shared<const std::string>("#pragma once\nint* Saved() { return 0; }\n");
  // A second spelling of the served header must still be the same file for #pragma once.
  texts[(folder.Path() / "unsaved.h").string()] = std::make_shared<const std::string>(
      "#pragma once\n#include \"inc/../inc/saved.h\"\nint* Unsaved() { return 0; }\n");
  EngineRequest request = FileRequest(main, "-*,modernize-use-nullptr");
  request.provider = [&](std::string_view, std::string_view path) -> std::optional<ProvidedFile> {
    ++questions[std::string(path)];
    auto found = texts.find(std::string(path));
    return found == texts.end() ? std::nullopt : std::optional(ProvidedFile{found->second, 1700000000});
  };
  const EngineRunResult run = RunEngine(RealEngine(), request);

  EXPECT_THAT(run.diagnostics, HasSubstr(main.string() + ":6:23: warning: use nullptr [modernize-use-nullptr]"));
  EXPECT_THAT(run.diagnostics, HasSubstr("    6 | int* Sixth() { return 0; }"));
  EXPECT_THAT(run.fixesYaml, HasSubstr("FileOffset:      128"));
  EXPECT_EQ(CountLines(run.diagnostics, "saved.h:2:23: warning: use nullptr"), 1) << run.diagnostics;
  EXPECT_EQ(CountLines(run.diagnostics, "unsaved.h:3:25: warning: use nullptr"), 1) << run.diagnostics;
  EXPECT_EQ(CountLines(run.diagnostics, "disk.h:2:22: warning: use nullptr"), 1) << run.diagnostics;
  EXPECT_EQ(CountLines(run.diagnostics, "error:"), 0) << run.diagnostics;
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_GT(questions.size(), 10u) << "the standard headers are asked for too";
  for (const auto& [path, count] : questions) {
    EXPECT_EQ(count, 1) << path;
    EXPECT_FALSE(std::filesystem::is_directory(path)) << path;
    // Only what the compiler reads as source: not the toolchain the driver
    // looks at before it starts.
    EXPECT_NE(std::filesystem::path(path).extension(), ".o") << path;
    EXPECT_NE(path.rfind("/etc/", 0), 0u) << path;
  }
  // A main file not saved yet exists only as the provider's text.
  const auto fresh = folder.Path() / "fresh.cpp";
  texts[fresh.string()] = std::make_shared<const std::string>("int* Fresh() { return 0; }\n");
  const FileProviderCallback provider = request.provider;
  request = FileRequest(fresh, "-*,modernize-use-nullptr");
  request.provider = provider;
  const EngineRunResult unsaved = RunEngine(RealEngine(), request);
  EXPECT_THAT(unsaved.diagnostics, HasSubstr(fresh.string() + ":1:23: warning: use nullptr")) << unsaved.errors;
  EXPECT_EQ(unsaved.exitCode, 0) << unsaved.errors;
}

// A build's precompiled form of a forced include (made by another compiler
// or with other flags) is never read: the header itself is.
TEST(EngineProvider, AForcedIncludeIsReadItselfNotItsPrecompiledForm) {
  TempDir folder;
  const auto header = folder.Write("pch.h", "typedef int* Pointer;\n");
  for (const char* name : {"pch.h.pch", "pch.h.gch"}) folder.Write(name, "not a precompiled header");
  EngineRequest request = FileRequest(folder.Write("a.cpp", "Pointer p = 0;\n"), "-*,modernize-use-nullptr");
  request.compilerArgs.insert(request.compilerArgs.end(), {"-include", header.string()});
  const EngineRunResult run = RunEngine(RealEngine(), request);
  EXPECT_EQ(CountLines(run.diagnostics, "a.cpp:1:13: warning: use nullptr"), 1) << run.diagnostics << run.errors;
  EXPECT_EQ(CountLines(run.diagnostics, "error:"), 0) << run.diagnostics;
}

}  // namespace
}  // namespace zotest
