// Whole runs through a parser against the scripted engine: every outcome of a
// run, what the engine is served, and how requests of parsers share time.
#include <gmock/gmock.h>

#include <algorithm>
#include <future>
#include <regex>
#include <thread>

#include "hostlib/zoipc.h"
#include "support/run_fixture.h"

namespace zotest {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::shared_ptr<const std::u16string> Buffer(const std::u16string& text) {
  return std::make_shared<const std::u16string>(text);
}

std::string LogHead(const RunResult& result, int32_t code) {
  return StringPrintf("*** Parse #%d %s ***\n\nclangTidy returned code: %d\n", result.parseNumber,
                      result.status >= 100 ? "failed" : "succeeded", code);
}

using Spots = std::vector<std::pair<uint32_t, int32_t>>;

/// Each record's trigger start and line.
Spots Positions(const RunResult& result) {
  Spots positions;
  for (const auto& record : result.qfixes) positions.emplace_back(record.triggerspan.start, record.triggerLine);
  return positions;
}

// Records come sorted and claimed, the log holds what the engine printed; the
// YAML text and the files report come only with detailed logging.
TEST_F(RunTest, ReadFixesGiveStatusZeroWithSortedRecordsAndTheRunsTexts) {
  const auto file = dir.Write("a.cpp", "int* p = 0;\nint* q = 0;\n").string();
  EngineScript script = ScriptWithFixes("the yaml", FixesFile{file, {Nullptr(file, 21), Nullptr(file, 9)}});
  script.outputs.push_back({OutputKey{std::string("-")}, "printed\n"});
  engine.SetScript(script);
  auto result = Parse(file);
  EXPECT_EQ(result->status, 0);
  EXPECT_EQ(Positions(*result), (Spots{{9, 0}, {21, 1}}));
  EXPECT_GT(result->qfixes[0].actions[0].claimToken, 0);
  EXPECT_EQ(std::regex_replace(result->logText, std::regex("[0-9]+ms"), "Nms"),
            LogHead(*result, 0) +
                "\nprinted\n\n*** Timing ***\n * Prepare buffers: Nms\n * Clang tidy: Nms\n * Process diag: Nms\n");
  EXPECT_GT(result->startTime, 1600000000);
  EXPECT_GE(result->endTime, result->startTime);
  EXPECT_EQ(result->yamlText, "");
  service.Initialize("", true);
  result = Parse(file);
  EXPECT_THAT(result->yamlText, StartsWith(" *** yaml ***\n\nthe yaml\n\n\n *** results ***\n\nqfix{\n"));
  EXPECT_THAT(result->logText, HasSubstr("\n*** Files ***\n"));
}

// No fixes file gives 1; a refusal (non-zero without fixes), an unreadable
// fixes file or one without main file 102; compiler errors with their fixes 0.
// Failures without output give 102, their error text and no log.
TEST_F(RunTest, TheEnginesOutputsDecideTheStatus) {
  const auto file = dir.Write("a.cpp", "int x;\n").string();
  const std::string refusal = "Error: invalid configuration specified.\nInvalid argument\n";
  FixesDiagnostic error = Nullptr(file, 4, "unknown type name");
  error.level = kDiagnosticLevelError;
  InspectionSettings malformed;
  malformed.additionalArguments = {"-Xclang", "-unknown"};
  EngineScript warned, refused, foreign, errors = ScriptWithFixes("yaml", FixesFile{file, {error}});
  warned.outputs = {{OutputKey{int32_t{2}}, "1 warning generated.\n"}};
  refused.outputs = {{OutputKey{int32_t{2}}, refusal}};
  refused.exitCode = errors.exitCode = 1;
  foreign.queryIdentity = []() -> EngineIdentity { throw std::runtime_error("identity unknown"); };
  struct Case {
    EngineScript script;
    int32_t status;
    std::string errorText;
    size_t records = 0;
    InspectionSettings settings = {};
  };
  const Case cases[] = {
      {warned, 1, "1 warning generated.\n"},
      {refused, 102, refusal},
      {ScriptWithFixes("not yaml"), 102, ""},
      {ScriptWithFixes("yaml", FixesFile{"", {}}), 102, ""},
      {ScriptWithFixes("yaml", FixesFile{file, {}}), 0, ""},
      {errors, 0, "", 1},
      {{}, 102, "*** clangtidy no output\n"},
      {{}, 102, "*** exception/2: ProcessParameters failed!\n", 0, malformed},
      {ScriptDuring([] { throw std::runtime_error("engine broke"); }), 102, "*** exception/2: engine broke\n"},
      {ScriptDuring([] { throw 42; }), 102, "*** exception/3\n"},
      {foreign, 102, "*** exception/2: identity unknown\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.errorText);
    engine.SetScript(c.script);
    const auto result = Parse(file, c.settings);
    EXPECT_EQ(std::tie(result->status, result->errorText), std::tie(c.status, c.errorText));
    EXPECT_EQ(result->qfixes.size(), c.records);
    const std::string head = c.errorText.starts_with("***") ? "" : LogHead(*result, c.script.exitCode);
    EXPECT_EQ(result->logText.substr(0, head.size()), head);
    EXPECT_EQ(result->logText.empty(), head.empty());
  }
  const auto calls = engine.CallNames();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "ReadExportedFixes"), 4);  // never for a missing file
}

// Kept compiler errors without position point at the main file's start;
// warnings without position stay out.
TEST_F(RunTest, CompilerErrorsWithoutPositionAreReportedAtTheStartOfTheMainFile) {
  const auto file = dir.Write("a.cpp", "int* p = 0;\n").string();
  const FixesDiagnostic missing{"clang-diagnostic-error", "'pch.h' file not found", "", 0, kDiagnosticLevelError, {}};
  const FixesDiagnostic warning{"clang-diagnostic-unused", "argument unused during compilation", "", 0, 1, {}};
  engine.SetScript(ScriptWithFixes("yaml", FixesFile{file, {Nullptr(file, 9), missing, warning}}));
  InspectionSettings settings;
  settings.keepFixlessDiagnostics = true;
  const auto result = Parse(file, settings);
  EXPECT_EQ(Positions(*result), (Spots{{0, 0}, {9, 0}}));
  EXPECT_EQ(result->qfixes.at(0).message, "'pch.h' file not found");
  EXPECT_EQ(result->qfixes.at(0).filename, file);
}

// What the engine reports in the headers of an excluded folder drops.
TEST_F(RunTest, DiagnosticsInExcludedFoldersDrop) {
  const auto file = dir.Write("a.cpp", "int* p = 0;\n").string();
  const auto excluded = dir.Write("sdk/x.h", "int* q = 0;\n").string(),
             own = dir.Write("own/y.h", "int* r;\n").string();
  engine.SetScript(ScriptWithFixes("yaml", FixesFile{file, {Nullptr(file, 9), Nullptr(excluded, 9), Nullptr(own, 0)}}));
  InspectionSettings settings;
  settings.excludedFolders = {(dir.Path() / "sdk").string()};
  std::vector<std::string> files;
  const auto result = Parse(file, settings);
  ASSERT_TRUE(result);
  for (const auto& record : result->qfixes) files.push_back(record.filename);
  EXPECT_EQ(files, (std::vector<std::string>{file, own})) << result->status << result->errorText;
}

// The main file's own exits (an unsaved main file counts as edited), refused
// headers, switched-off parsers and foreign engines do not run the engine.
TEST_F(RunTest, SkippedMainFilesHeadersSwitchedOffParsersAndForeignEnginesDoNotRun) {
  const auto skipped = dir.Write("a.cpp", "// ZOci:SKIPALL here\nint x;\n").string();
  const auto ansi = dir.Write("b.cpp", "// caf\xE9\nint x;\n").string();
  const auto edited = dir.Write("c.cpp", "int x;\n").string();
  InspectionSettings bomlessIsUtf8;
  bomlessIsUtf8.bomlessIsUtf8 = true;
  const std::tuple<std::string, InspectionSettings, UnsavedBuffers, int32_t, std::string> cases[] = {
      {skipped, {}, {}, 2, "zoCI:skipall directive"},
      {ansi, bomlessIsUtf8, {}, 101, "incompatible encoding options"},
      {edited, {}, {{edited, Buffer(u"// zoCI:skipall\n")}}, 2, "zoCI:skipall directive"}};
  for (const auto& [file, settings, buffers, status, why] : cases) {
    const auto result = Parse(file, settings, 0, buffers);
    EXPECT_EQ(result->status, status);
    EXPECT_EQ(result->logText,
              StringPrintf("*** Parse #%d (%s) skipped by %s ***\n\n", result->parseNumber, file.c_str(), why.c_str()));
  }
  InspectionSettings headers;
  headers.headerExtensions = {".h"};
  EXPECT_EQ(Parse(dir.Write("a.h", "int x;\n").string(), headers), nullptr);
  std::vector<std::string> logged;  // written on this thread: the parse never starts its worker
  zoIPC::host::SetLogSink([&](auto level, const std::string& text) {
    logged.push_back(std::to_string(static_cast<int>(level)) + " " + text);
  });
  std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(skipped, {}));
  parser->SetEnabled(false);
  EXPECT_EQ(parser->Parse(0, {}, checks, fixlessChecks, checkOptions), nullptr);
  zoIPC::host::SetLogSink(nullptr);
  EXPECT_EQ(logged, std::vector<std::string>{"4 Disabled before parse -- skipping"});
  EngineScript foreign;
  foreign.identity = EngineIdentity{{1, 0, 9, 1, 3}};
  engine.SetScript(foreign);
  EXPECT_EQ(Parse(ansi), nullptr);
  EXPECT_EQ(engine.CallNames(), std::vector<std::string>(4, "QueryInterfaceIdentity"));
  // A listed skip-all, the same ANSI file without the setting and an allowed header run.
  engine.SetScript(ScriptWithFixes());
  EXPECT_EQ(Parse(dir.Write("d.cpp", "// zoCI:skipall:modernize\nint x;\n").string())->status, 1);
  EXPECT_EQ(Parse(ansi)->status, 1);
  EXPECT_EQ(Parse(dir.Write("a.h", "int x;\n").string(), headers, ModeFlags::allowHeaderFile)->status, 1);
}

TEST_F(RunTest, SkipRunAnswersDistinctEmptyResultsWithoutTheEngine) {
  InspectionSettings settings;
  settings.skipRun = true;
  const auto first = Parse("a.cpp", settings), second = Parse("a.cpp", settings);
  EXPECT_EQ(std::tie(first->status, first->logText), std::make_tuple(102, std::string()));
  EXPECT_EQ(second->parseNumber, first->parseNumber + 1);
  EXPECT_NE(first->runId, second->runId);
  EXPECT_TRUE(engine.Calls().empty());
}

// The engine is called in order with the full command line, which the
// parameters text repeats with the own options and the encoding settings;
// the main file's option directives override (the last one wins), and the
// hook reaches the dispatcher with the run's options.
TEST_F(RunTest, TheEngineGetsTheFullCommandLineAndTheRunsOptions) {
  const auto file =
      dir.Write("src/a.cpp", "// ZOCI:option:A.B = 2\n// zoci:OPTION:A.B=3 // why\n// zoci:option:x.ZO.y=0\n").string();
  EngineScript script = ScriptWithFixes();
  script.hookCalls = {0x199BB5C9};
  engine.SetScript(script);
  checkOptions = {{"A.B", "1"}, {"modernize-loop-convert.ZO.PreferType", "0"}};
  const auto result = Parse(file, {}, ModeFlags::editorAutoDetectUtf8);
  EXPECT_THAT(engine.CallNames(), ::testing::ElementsAre("QueryInterfaceIdentity", "SetOutputSink", "SetCheckHook",
                                                         "Run", "SetCheckHook", "SetOutputSink"));
  const auto run = engine.Calls()[3].arguments;
  ASSERT_GE(run.size(), 6u);
  EXPECT_EQ(run[run.size() - 2], R"(-config={CheckOptions: [{key: "A.B", value: "3"}], InheritParentConfig: true})");
  EXPECT_EQ(run.back(), "folder=" + (dir.Path() / "src" / "").string());
  std::string arguments;
  for (size_t i = 0; i + 1 < run.size(); ++i) arguments += run[i] + "\n";
  EXPECT_THAT(arguments, StartsWith("clang-tidy.exe\n" + file +
                                    "\n-export-fixes=zofixes.yaml\n-header-filter=.*\n-checks=modernize-*\n"));
  EXPECT_THAT(result->parametersText, StartsWith(arguments));
  EXPECT_THAT(result->parametersText, HasSubstr("\nx.ZO.y=0\n"));
  EXPECT_THAT(result->parametersText,
              ::testing::EndsWith("=0\nFiles without BOM regarded as: ansi\nVSTextEditor auto detect utf8: yes\n"));
  EXPECT_THAT(result->logText, HasSubstr("'A.B' option overridden with '2'\n'A.B' option overridden with '3'\n"
                                         "'x.ZO.y' option overridden with '0'\n"));
  EXPECT_EQ(checkOptions["A.B"], "3");
  EXPECT_EQ(engine.HookAnswers().at(0).value().at("ok"), HookValue(false));
}

TEST_F(RunTest, TheEngineRunsOnAThreadWithALargeStack) {
  // More than the 8 MiB a default thread has: about 12 MiB.
  std::function<size_t(size_t)> recurse = [&](size_t depth) -> size_t {
    volatile char block[64 * 1024];
    block[0] = static_cast<char>(depth);
    return depth == 0 ? block[0] : recurse(depth - 1) + block[0];
  };
  engine.SetScript(ScriptDuring([&] { recurse(12 * 16); }));
  EXPECT_EQ(Parse(dir.Write("a.cpp", "int x;\n").string())->status, 1);
}

// Converted ANSI files and unsaved buffers are served and described in the
// run log; plain UTF-8 files are left to the engine.
TEST_F(RunTest, ServesConvertedAnsiFilesAndUnsavedBuffersButNotPlainUtf8) {
  const auto ansi = dir.Write("b.h", "// caf\xE9\n").string();
  const auto plain = dir.Write("c.h", "// plain\n").string();
  const auto edited = dir.Write("d.h", "// on disk\n").string();
  EngineScript script = ScriptWithFixes();
  script.fileRequests = {{ansi, ansi}, {plain, plain}, {edited, edited}};
  engine.SetScript(script);
  const auto result = Parse(dir.Write("a.cpp", "").string(), {}, 0, {{edited, Buffer(u"// edited \u00E9\n")}});
  std::vector<std::string> served;
  for (const auto& answer : engine.ProviderAnswers()) served.push_back(answer ? *answer->first : "(none)");
  EXPECT_EQ(served, (std::vector<std::string>{"// caf\xC3\xA9\n", "(none)", "// edited \xC3\xA9\n"}));
  EXPECT_THAT(result->logText, HasSubstr("'" + ansi + "' ("));
  EXPECT_THAT(result->logText, HasSubstr("from ANSI, clang-side bom 0 (converted)\n"));
  EXPECT_THAT(result->logText, HasSubstr("'" + edited + "' (("));
  EXPECT_THAT(result->logText, HasSubstr(")) from UTF16_LE_NOBOM, clang-side bom 0 (modified buffer) (converted)\n"));
  EXPECT_EQ(result->logText.find("'" + plain + "'"), std::string::npos);
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
