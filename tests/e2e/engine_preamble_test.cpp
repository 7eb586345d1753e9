// Runs of one file in one process reuse its precompiled preamble: after an
// edit below the includes the preamble is reused, after an edit of a header
// (served unsaved or saved) or of the includes it is built again, and every
// run's outputs are the binary's for the same text, in the main file and in
// the user header alike. A preamble region that gives compiler diagnostics (a
// missing forced include or header, an error or warning in a header) gives
// them on every run. Checks that watch the preprocessor never get one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "e2e_samples.h"
#include "reference_tidy.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

constexpr const char* kHeader = R"(#pragma once
#include <string>
#include <thread>
struct Shape {
  virtual ~Shape() {}
  virtual double Area() const { return 0; }
  int* Tag() const { return 0; }
};
void Describe(const Shape& shape, std::string label);
)";

constexpr const char* kIncludes = "#include \"shapes.h\"\n#include <vector>\n\n";

constexpr const char* kBody = R"(struct Square : Shape {
  virtual double Area() const { return side * side; }
  double side = 1;
};
void Describe(const Shape& s, std::string name) { if (s.Area() > 0) name += "x"; }
int* Count(const std::vector<int>& v) { int n = 0; for (int i : v) n += i; return n > 0 ? 0 : 0; }
)";

/// One run of the sequence: the texts it changes, whether the header's new
/// text is only served (unsaved), and the run log's preamble line expected.
struct Step {
  std::string main;
  std::string header;  ///< empty: unchanged
  bool headerUnsaved = false;
  std::string preamble;  ///< "" when the run reports none
  /// The header's new text is saved with the size and modification time of
  /// the text before it.
  bool sameStamp = false;
};

struct PreambleCase {
  std::string name;
  std::string checks;
  std::vector<Step> steps;
  std::vector<std::string> extraArgs = {};  ///< added to the compiler command line
};

void PrintTo(const PreambleCase& c, std::ostream* out) { *out << c.name; }

std::string PreambleLine(const std::string& diagnostics) {
  const size_t start = diagnostics.find("Preamble: ");
  if (start == std::string::npos) return "";
  const std::string line = diagnostics.substr(start, diagnostics.find(';', start) - start);
  return line.substr(std::string("Preamble: ").size());
}

/// Runs `request` in the engine and the binary and expects the same outputs,
/// with the engine's run log naming `preamble`.
void ExpectTheBinarysOutputs(const EngineRunResult& engine, const ReferenceRun& reference,
                             const std::string& preamble) {
  EXPECT_EQ(PreambleLine(engine.diagnostics), preamble) << engine.diagnostics;
  EXPECT_EQ(WithoutRunLog(engine.diagnostics), reference.diagnostics);
  EXPECT_EQ(engine.fixesYaml, reference.fixesYaml);
  EXPECT_EQ(WithoutSummary(engine.errors), WithoutSummary(reference.errors));
  EXPECT_EQ(engine.exitCode, reference.exitCode);
}

class EnginePreamble : public testing::TestWithParam<PreambleCase> {};

TEST_P(EnginePreamble, EachRunGivesTheBinarysOutputsForItsText) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  TempDir folder;
  TempDir scratch;
  const auto main = folder.Write("main.cpp", "");
  const auto header = folder.Write("shapes.h", kHeader);
  folder.Write("broken.h", "int Broken() { return undeclared; }\n");
  folder.Write("warned.h", "#warning \"not finished\"\n");
  folder.Write("instantiated.h", "template <class T> int Twice(T t) { return t.Twice(); }\n"
                                 "inline int UseTwice() { return Twice(1); }\n");
  std::map<std::string, std::shared_ptr<const std::string>> unsaved;
  EngineRequest request = FileRequest(main, GetParam().checks);
  // Each case is a configuration of its own, which the process first sees here.
  request.checkOptions = {{"zoci.PreambleCase", GetParam().name}};
  for (const std::string& argument : GetParam().extraArgs) request.compilerArgs.push_back(argument);
  request.provider = [&unsaved](std::string_view, std::string_view path) -> std::optional<ProvidedFile> {
    auto found = unsaved.find(std::string(path));
    if (found == unsaved.end()) return std::nullopt;
    return ProvidedFile{found->second, 1700000000};
  };
  int index = 0;
  for (const Step& step : GetParam().steps) {
    SCOPED_TRACE("run " + std::to_string(++index));
    folder.Write("main.cpp", step.main);
    if (!step.header.empty() && step.headerUnsaved) {
      unsaved[header.string()] = std::make_shared<const std::string>(step.header);
    } else if (!step.header.empty()) {
      unsaved.clear();
      const auto modified = std::filesystem::last_write_time(header);
      folder.Write("shapes.h", step.header);
      if (step.sameStamp) std::filesystem::last_write_time(header, modified);
    }
    const EngineRunResult engine = RunEngine(RealEngine(), request);
    // The binary reads the disk: the unsaved header is saved for it.
    if (step.headerUnsaved) folder.Write("shapes.h", step.header);
    const ReferenceRun reference = RunReference(request, scratch);
    if (step.headerUnsaved) folder.Write("shapes.h", kHeader);
    ExpectTheBinarysOutputs(engine, reference, step.preamble);
  }
  EXPECT_GT(CountLines(RunEngine(RealEngine(), request).diagnostics, "shapes.h:"), 0)
      << "the header must give findings";
}

std::string Text(const std::string& includes, const std::string& body) { return includes + body; }

const std::string kEdited = std::string(kBody) + "int* Spare() { return 0; }\n";
const std::string kRenamed = [] {
  std::string body = kBody;
  body.replace(body.find("std::string name) { if (s.Area() > 0) name"), 43,
               "std::string label) { if (s.Area() > 0) label");
  return body;
}();
const std::string kHeaderEdited = std::string(kHeader) + "inline int* Other() { return 0; }\n";
/// Other texts of the same sizes as kHeaderEdited and kHeader.
const std::string kHeaderEditedAgain = std::string(kHeader) + "inline int* Outer() { return 0; }\n";
const std::string kHeaderRenamed = [] {
  std::string header = kHeader;
  header.replace(header.find("std::string label"), 17, "std::string title");
  return header;
}();

/// Runs that may use a preamble: build, reuse, then build again after each
/// kind of change.
std::vector<Step> ReusingSteps() {
  return {
      {Text(kIncludes, kBody), "", false, "built"},
      {Text(kIncludes, kEdited), "", false, "reused"},
      {Text(kIncludes, kRenamed), "", false, "reused"},
      {Text(kIncludes, kRenamed), kHeaderEdited, true, "rebuilt"},
      // Served again, the same size at the same time.
      {Text(kIncludes, kRenamed), kHeaderEditedAgain, true, "rebuilt"},
      {Text(kIncludes, kRenamed), kHeaderEdited, true, "rebuilt"},
      // Saved as it was served: the same text.
      {Text(kIncludes, kBody), kHeaderEdited, false, "reused"},
      {Text(kIncludes, kBody), kHeader, false, "rebuilt"},
      // Saved again within the file system's clock tick.
      {Text(kIncludes, kBody), kHeaderRenamed, false, "rebuilt", true},
      {Text(kIncludes, kBody), kHeader, false, "rebuilt"},
      {Text(kIncludes, kEdited), "", false, "reused"},
      {Text("#include <map>\n" + std::string(kIncludes), kEdited), "", false, "rebuilt"},
  };
}

constexpr const char* kDeclined = "not used (its files give compiler diagnostics)";

/// Runs whose preamble region gives a compiler error: it reaches the user on
/// every run, as it does without a preamble.
std::vector<Step> FailingSteps(const std::string& includes) {
  return {
      {Text(includes, kBody), "", false, kDeclined},
      {Text(includes, kEdited), "", false, kDeclined},
      {Text(includes, kEdited), kHeaderEdited, false, kDeclined},
  };
}

/// Runs whose checks watch the preprocessor: they are shown what the
/// preamble's compile did.
std::vector<Step> WatchingSteps() {
  return {
      {Text(kIncludes, kBody), "", false, "built"},
      {Text(kIncludes, kEdited), "", false, "reused"},
      {Text(kIncludes, kRenamed), "", false, "reused"},
  };
}

constexpr const char* kAstChecks =
    "-*,modernize-use-nullptr,modernize-use-override,readability-braces-around-statements,"
    "readability-inconsistent-declaration-parameter-name,performance-for-range-copy,bugprone-branch-clone";

INSTANTIATE_TEST_SUITE_P(
    Runs, EnginePreamble,
    testing::Values(
        PreambleCase{"AstChecks", kAstChecks, ReusingSteps()},
        PreambleCase{"PreprocessorChecks", "-*,modernize-*,bugprone-macro-parentheses", WatchingSteps()},
        PreambleCase{"MissingForcedInclude", kAstChecks, FailingSteps(kIncludes), {"-include", "missing-pch.h"}},
        PreambleCase{"MissingHeader", kAstChecks, FailingSteps("#include \"absent.h\"\n" + std::string(kIncludes))},
        PreambleCase{"HeaderError", kAstChecks, FailingSteps("#include \"broken.h\"\n" + std::string(kIncludes))},
        PreambleCase{"HeaderWarning", kAstChecks, FailingSteps("#include \"warned.h\"\n" + std::string(kIncludes))},
        PreambleCase{"HeaderInstantiationError", kAstChecks,
                     FailingSteps("#include \"instantiated.h\"\n" + std::string(kIncludes))}));

/// A configuration whose checks watch the preprocessor, with a main file and
/// a user header whose preamble region holds what they read.
struct ReplayCase {
  std::string name;
  std::string checks;
  std::string header;  ///< defs.h
  std::string preamble;
  std::string body;
  std::vector<std::pair<std::string, std::string>> options = {};
  /// False for a check that reads more of the preamble than its events, or a
  /// command line whose forced includes the events leave out: no preamble.
  bool replayed = true;
  std::vector<std::string> extraArgs = {};  ///< added to the compiler command line
};

void PrintTo(const ReplayCase& c, std::ostream* out) { *out << c.name; }

class EngineReplay : public testing::TestWithParam<ReplayCase> {};

// The first run builds the preamble, the next ones (edited below it) reuse
// it: every one gives the binary's outputs.
TEST_P(EngineReplay, ChecksThatWatchThePreprocessorGiveTheBinarysOutputsFromAReusedPreamble) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  TempDir folder;
  TempDir scratch;
  folder.Write("defs.h", GetParam().header);
  folder.Write("impl.cpp", "inline int Implemented() { return 1; }\n");
  const auto main = folder.Write("main.cpp", "");
  EngineRequest request = FileRequest(main, GetParam().checks);
  request.checkOptions = GetParam().options;
  request.checkOptions.emplace_back("zoci.ReplayCase", GetParam().name);
  for (const std::string& argument : GetParam().extraArgs) request.compilerArgs.push_back(argument);
  const bool replayed = GetParam().replayed;
  const std::vector<std::pair<std::string, std::string>> steps = {
      {GetParam().body, replayed ? "built" : ""},
      {GetParam().body + "int* Spare() { return 0; }\n", replayed ? "reused" : ""},
      {"int extra;\n" + GetParam().body, replayed ? "reused" : ""},
  };
  for (const auto& [body, preamble] : steps) {
    SCOPED_TRACE(preamble);
    folder.Write("main.cpp", GetParam().preamble + body);
    const EngineRunResult engine = RunEngine(RealEngine(), request);
    ExpectTheBinarysOutputs(engine, RunReference(request, scratch), preamble);
  }
}

constexpr const char* kMacroHeader = R"(#pragma once
#include <string>
#define TWICE(x) x * 2
#define BOTH(x) ((x) && (x))
#define lower_case_macro 3
#define _Reserved_macro 4
#define RED 1
#define GREEN 2
inline bool Both(int i) { return BOTH(i++) && TWICE(i); }
)";

constexpr const char* kMacroBody = R"(int Use(int i) { return TWICE(i) + HALF(i) + BOTH(i--) + lower_case_macro; }
int Colour() { return BLUE + RED; }
)";

constexpr const char* kMacroPreamble = R"(#include "defs.h"
#define HALF(x) x / 2
#define BLUE 0
#define YELLOW 1
#define another_macro 5
#define __reserved 6
#undef YELLOW
#include <vector>
)";

constexpr const char* kIncludeHeader = R"(#pragma once
#include <string.h>
#include <memory>
#include <string>
inline int Length(const char* text) { return static_cast<int>(strlen(text)); }
)";

constexpr const char* kIncludePreamble = R"(#include "defs.h"
#include "impl.cpp"
#include <vector>
)";

constexpr const char* kInserterBody = R"(struct Named {
  Named(std::string name) : name_(name) {}
  std::string name_;
};
std::unique_ptr<int> Make() { return std::unique_ptr<int>(new int(1)); }
int Count(std::vector<int> values) { return static_cast<int>(values.size()); }
)";

constexpr const char* kConditionalHeader = R"(#pragma once
#ifndef DEFS_ONCE
#ifndef DEFS_ONCE
#define DEFS_ONCE
#endif
#endif
#if 0
int Never();
#endif
#if 1
int Always();
#endif
)";

constexpr const char* kConditionalPreamble = R"(#include "defs.h"
#ifdef DEFS_ONCE
#ifdef DEFS_ONCE
#include <vector>
#endif
#endif
#if 1
#include <string>
#else
#include <map>
#endif
#if 0
#endif
)";

constexpr const char* kElifdefPreamble = R"(#include "defs.h"
#ifdef DEFS_ONCE
#define FIRST 1
#elifdef OTHER
#include <map>
#elifndef DEFS_ONCE
#endif
#ifndef DEFS_ONCE
#elifdef DEFS_ONCE
#define SECOND 2
#include <vector>
#elifndef DEFS_ONCE
#endif
#include <string>
)";

constexpr const char* kConditionalBody = R"(int Pick(int i) {
  if (i > 0) {
    return 1;
  } else {
    return 2;
  }
}
#if 1
int Later();
#endif
)";

INSTANTIATE_TEST_SUITE_P(
    Runs, EngineReplay,
    testing::Values(
        ReplayCase{"Macros",
                   "-*,bugprone-macro-parentheses,bugprone-macro-repeated-side-effects,modernize-macro-to-enum,"
                   "bugprone-reserved-identifier,readability-identifier-naming",
                   kMacroHeader,
                   kMacroPreamble,
                   kMacroBody,
                   {{"readability-identifier-naming.MacroDefinitionCase", "UPPER_CASE"}}},
        ReplayCase{"Includes", "-*,bugprone-suspicious-include,modernize-make-unique,modernize-pass-by-value",
                   kIncludeHeader, kIncludePreamble, kInserterBody},
        ReplayCase{"IncludesInserted", "-*,modernize-make-unique,performance-unnecessary-value-param",
                   "#pragma once\n#include <memory>\n#include <string>\n",
                   "#include \"defs.h\"\n#include <vector>\n#include <cstdio>\n", kInserterBody},
        ReplayCase{"Conditionals",
                   "-*,readability-redundant-preprocessor,readability-avoid-unconditional-preprocessor-if,"
                   "readability-else-after-return",
                   kConditionalHeader, kConditionalPreamble, kConditionalBody},
        ReplayCase{"Groups", "-*,modernize-*,readability-*,performance-*,bugprone-*", kMacroHeader,
                   std::string(kMacroPreamble) + kIncludePreamble, std::string(kMacroBody) + kInserterBody},
        ReplayCase{"Cleaner",
                   "-*,misc-include-cleaner",
                   "#pragma once\n#include <string>\n#include <map> // IWYU pragma: export\n",
                   "#include \"defs.h\" // IWYU pragma: keep\n#include <vector>\n#include <set>\n#include <map> // "
                   "IWYU pragma: keep\n",
                   "std::string Name();\nstd::map<int, int> Map();\n",
                   {},
                   false},
        ReplayCase{"ForcedInclude",
                   "-*,bugprone-macro-parentheses,readability-identifier-naming,readability-duplicate-include",
                   kMacroHeader,
                   kMacroPreamble,
                   kMacroBody,
                   {{"readability-identifier-naming.MacroDefinitionCase", "UPPER_CASE"}},
                   false,
                   {"-include", "defs.h"}},
        ReplayCase{"Elifdef",
                   "-*,readability-redundant-preprocessor,readability-avoid-unconditional-preprocessor-if,"
                   "modernize-macro-to-enum",
                   kConditionalHeader,
                   kElifdefPreamble,
                   kConditionalBody,
                   {},
                   true,
                   {"-std=c++23"}},
        ReplayCase{"OtherGroups",
                   "-*,misc-*,-misc-include-cleaner,llvm-*,cppcoreguidelines-*,portability-*,google-*,cert-*,hicpp-*",
                   kMacroHeader, std::string(kMacroPreamble) + kIncludePreamble + kConditionalPreamble,
                   std::string(kMacroBody) + kInserterBody}));

// Threads that inspect the same file (with checks that watch the preprocessor
// or not) and another one at once share the store:
// every run gives the sequential results.
TEST(EnginePreambleStore, RunsOnSeveralThreadsShareItAndGiveTheSequentialResults) {
  TempDir folder;
  folder.Write("shapes.h", kHeader);
  const std::string checks = "-*,modernize-use-nullptr,modernize-use-override,readability-braces-around-statements";
  // The third request shows the first file's preamble events to checks that
  // watch the preprocessor.
  const auto first = folder.Write("first.cpp", Text(kIncludes, kBody));
  const std::vector<EngineRequest> requests = {
      FileRequest(first, checks),
      FileRequest(folder.Write("second.cpp", Text("#include <map>\n" + std::string(kIncludes), kEdited)), checks),
      FileRequest(first, checks + ",bugprone-macro-parentheses,readability-duplicate-include,modernize-make-unique")};
  std::vector<std::string> sequential;
  for (const EngineRequest& request : requests)
    sequential.push_back(WithoutRunLog(RunEngine(RealEngine(), request).diagnostics));
  const std::vector<size_t> threadFiles = {0, 0, 1, 2};
  std::vector<std::vector<std::string>> concurrent(threadFiles.size());
  std::vector<std::thread> threads;
  for (size_t thread = 0; thread < threadFiles.size(); ++thread) {
    threads.emplace_back([&, thread] {
      for (int round = 0; round < 3; ++round) {
        concurrent[thread].push_back(RunEngine(RealEngine(), requests[threadFiles[thread]]).diagnostics);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t thread = 0; thread < threadFiles.size(); ++thread) {
    for (const std::string& run : concurrent[thread]) {
      EXPECT_EQ(PreambleLine(run), "reused") << run;
      EXPECT_EQ(WithoutRunLog(run), sequential[threadFiles[thread]]);
    }
  }
}

}  // namespace
}  // namespace zotest
