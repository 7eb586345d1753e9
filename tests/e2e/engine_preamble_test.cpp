// Runs of one file reuse its preamble after an edit below the includes and build
// it again after an edit of a header or of the includes, whether the run builds it
// or a thread beside the run does; every run's outputs are the binary's for the
// same text, compiler diagnostics of the region included.
#include <atomic>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "e2e_samples.h"

namespace zotest {
namespace {

constexpr const char* kHeader =
    "#pragma once\n#include <string>\nstruct Shape {\n  virtual ~Shape() {}\n"
    "  virtual double Area() const { return 0; }\n  int* Tag() const { return 0; }\n};\n"
    "void Describe(const Shape& shape, std::string label);\n";

constexpr const char* kIncludes = "#include \"defs.h\"\n#include <vector>\n\n";

constexpr const char* kBody =
    "struct Square : Shape { virtual double Area() const { return side * side; } double side; };\n"
    "void Describe(const Shape& s, std::string name) { if (s.Area() > 0) name += \"x\"; }\n"
    "int* Count(const std::vector<int>& v) { int n = 0; for (int i : v) n += i; return n > 0 ? 0 : 0; }\n";

/// One run: the main file's text, the header's new text (empty: unchanged),
/// whether that text is only served (unsaved), and the run log's preamble use.
struct Step {
  std::string main, header;
  bool headerUnsaved = false;
  std::string preamble;    ///< "" when the run reports none
  bool sameStamp = false;  ///< the header saved with the size and time of the text before it
};

struct PreambleCase {
  std::string name, checks;
  std::string header;  ///< defs.h, which the main file includes
  std::vector<Step> steps;
  std::string extraArgs = "";  ///< added to the compiler command line, split at spaces
  std::vector<std::pair<std::string, std::string>> options = {};
};

void PrintTo(const PreambleCase& c, std::ostream* out) { *out << c.name; }

/// Whether `used`, a run's preamble use, is what `expected` (the use when
/// each run builds its own preamble) becomes when preambles are built beside
/// the runs: a run that would build one compiles without it while it is
/// built, and the next run with the same text waits for that build.
bool SameUseBeside(const std::string& used, const std::string& expected) {
  const std::string building = "building for the next runs";
  if (expected == "built" || expected == "rebuilt") return used == building;
  if (expected.starts_with("not used")) return used == expected || used == building;
  return used == expected;
}

class EnginePreamble : public testing::TestWithParam<PreambleCase> {};

TEST_P(EnginePreamble, EachRunGivesTheBinarysOutputsForItsText) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  const PreambleCase& c = GetParam();
  TempDir folder, scratch;
  const auto main = folder.Write("main.cpp", "");
  const auto header = folder.Write("defs.h", c.header);
  folder.Write("broken.h", "int Broken() { return undeclared; }\n");
  folder.Write("warned.h", "#warning \"not finished\"\n");
  folder.Write("impl.cpp", "inline int Implemented() { return 1; }\n");
  folder.Write("instantiated.h",
               "template <class T> int Twice(T t) { return t.Twice(); }\n"
               "inline int UseTwice() { return Twice(1); }\n");
  std::string saved = c.header;
  std::map<std::string, std::shared_ptr<const std::string>> unsaved;
  EngineRequest request = FileRequest(main, c.checks);
  // Each case is a configuration of its own, which the process first sees here.
  request.checkOptions = c.options;
  request.checkOptions.emplace_back("zoci.PreambleCase", c.name);
  std::istringstream extraArgs(c.extraArgs);
  for (std::string arg; extraArgs >> arg;) request.compilerArgs.push_back(arg);
  const bool beside = std::getenv("ZOCI_PREAMBLE_BUILD") != nullptr;
  // Reuse and rebuilds, declined headers, and checks shown the events.
  if (beside && c.name != "AstChecks" && c.name != "HeaderError" && c.name != "Elifdef") {
    GTEST_SKIP() << "runs only with the preamble built in the run";
  }
  std::atomic<bool> running = false;
  request.provider = [&unsaved, &running](std::string_view, std::string_view path) -> std::optional<ProvidedFile> {
    EXPECT_TRUE(running) << "asked for " << path << " after the run";
    auto found = unsaved.find(std::string(path));
    if (found == unsaved.end()) return std::nullopt;
    return ProvidedFile{found->second, 1700000000};
  };
  int index = 0;
  for (const Step& step : c.steps) {
    SCOPED_TRACE("run " + std::to_string(++index));
    folder.Write("main.cpp", step.main);
    if (step.headerUnsaved) {
      unsaved[header.string()] = std::make_shared<const std::string>(step.header);
    } else if (!step.header.empty()) {
      unsaved.clear();
      const auto modified = std::filesystem::last_write_time(header);
      folder.Write("defs.h", saved = step.header);
      if (step.sameStamp) std::filesystem::last_write_time(header, modified);
    }
    running = true;
    const EngineRunResult engine = RunEngine(RealEngine(), request);
    running = false;
    // The binary reads the disk: the unsaved header is saved for it.
    if (step.headerUnsaved) folder.Write("defs.h", step.header);
    const EngineRunResult reference = RunReference(request, scratch);
    if (step.headerUnsaved) folder.Write("defs.h", saved);
    if (beside) {
      EXPECT_PRED2(SameUseBeside, PreambleUse(engine.diagnostics), step.preamble) << engine.diagnostics;
    } else {
      EXPECT_EQ(PreambleUse(engine.diagnostics), step.preamble) << engine.diagnostics;
    }
    ExpectTheBinarysOutputs(engine, reference);
    EXPECT_GT(CountLines(reference.diagnostics, "warning:"), 0) << "the run must give findings";
  }
}

const std::string kEdited = std::string(kBody) + "int* Spare() { return 0; }\n";
const std::string kRenamed = std::regex_replace(std::string(kBody), std::regex("\\bname\\b"), "label");
const std::string kHeaderEdited = std::string(kHeader) + "inline int* Other() { return 0; }\n";
/// Other texts of the same sizes as kHeaderEdited and kHeader.
const std::string kHeaderEditedAgain = std::string(kHeader) + "inline int* Outer() { return 0; }\n";
const std::string kHeaderRenamed = std::regex_replace(std::string(kHeader), std::regex("label"), "title");

/// Build, reuse, then build again after each kind of change.
std::vector<Step> ReusingSteps() {
  return {
      {kIncludes + std::string(kBody), "", false, "built"},
      {kIncludes + kEdited, "", false, "reused"},
      {kIncludes + kRenamed, "", false, "reused"},
      {kIncludes + kRenamed, kHeaderEdited, true, "rebuilt"},
      // Served again, the same size at the same time.
      {kIncludes + kRenamed, kHeaderEditedAgain, true, "rebuilt"},
      {kIncludes + kRenamed, kHeaderEdited, true, "rebuilt"},
      // Saved as it was served: the same text.
      {kIncludes + std::string(kBody), kHeaderEdited, false, "reused"},
      {kIncludes + std::string(kBody), kHeader, false, "rebuilt"},
      // Saved again within the file system's clock tick.
      {kIncludes + std::string(kBody), kHeaderRenamed, false, "rebuilt", true},
      {kIncludes + std::string(kBody), kHeader, false, "rebuilt"},
      {kIncludes + kEdited, "", false, "reused"},
      {"#include <map>\n" + std::string(kIncludes) + kEdited, "", false, "rebuilt"},
  };
}

/// Runs whose preamble region gives compiler diagnostics, on every run.
std::vector<Step> FailingSteps(const std::string& includes) {
  const std::string declined = "not used (its files give compiler diagnostics)";
  return {{includes + kBody, "", false, declined},
          {includes + kEdited, "", false, declined},
          {includes + kEdited, kHeaderEdited, false, declined}};
}

/// Runs edited below `preamble`: built, then reused; no preamble at all when
/// it cannot show the checks what they read.
std::vector<Step> EditedBelow(const std::string& preamble, const std::string& body, bool replayed = true) {
  const std::string built = replayed ? "built" : "", reused = replayed ? "reused" : "";
  return {{preamble + body, "", false, built},
          {preamble + body + "int* Spare() { return 0; }\n", "", false, reused},
          {preamble + "int extra;\n" + body, "", false, reused}};
}

/// Macros, includes and conditionals for the checks that watch the preprocessor.
constexpr const char* kWatchedHeader =
    "#pragma once\n#include <memory>\n#include <string.h>\n#include <string>\n#define TWICE(x) x * 2\n"
    "#define BOTH(x) ((x) && (x))\n#define lower_case_macro 3\n#define _Reserved_macro 4\n#define RED 1\n"
    "inline bool Both(int i) { return BOTH(i++) && TWICE(i); }\n#ifndef DEFS_ONCE\n#ifndef DEFS_ONCE\n"
    "#define DEFS_ONCE\n#endif\n#endif\n#if 0\nint Never();\n#endif\n";

constexpr const char* kWatchedPreamble =
    "#include \"defs.h\"\n#include \"impl.cpp\"\n#define HALF(x) x / 2\n#define BLUE 0\n#define YELLOW 1\n"
    "#define another_macro 5\n#define __reserved 6\n#undef YELLOW\n#ifdef DEFS_ONCE\n#ifdef DEFS_ONCE\n"
    "#include <vector>\n#endif\n#endif\n#if 1\n#include <string>\n#else\n#include <filesystem>\n#include <map>\n"
    "#endif\n";

constexpr const char* kWatchedBody =
    "int Use(int i) { return TWICE(i) + HALF(i) + BOTH(i--) + lower_case_macro; }\n"
    "int Colour() { return BLUE + RED; }\n"
    "struct Named { Named(std::string name) : name_(name) {} std::string name_; };\n"
    "std::unique_ptr<int> Make() { return std::unique_ptr<int>(new int(1)); }\n"
    "int Count(std::vector<int> values) { return static_cast<int>(values.size()); }\n"
    "int Pick(int i) { if (i > 0) { return 1; } else { return 2; } }\n#if 1\nint Later();\n#endif\n";

constexpr const char* kElifdefPreamble =
    "#include \"defs.h\"\n#ifdef DEFS_ONCE\n#define FIRST 1\n#elifdef OTHER\n#include <filesystem>\n#include <map>\n"
    "#elifndef DEFS_ONCE\n#endif\n#ifndef DEFS_ONCE\n#elifdef DEFS_ONCE\n#define SECOND 2\n#include <vector>\n"
    "#elifndef DEFS_ONCE\n#endif\n#include <string>\n";

/// A case whose preamble region includes `header` first, a header that gives compiler diagnostics.
PreambleCase Failing(const std::string& name, const std::string& header) {
  return {name, "-*,modernize-use-nullptr", kHeader, FailingSteps("#include \"" + header + "\"\n" + kIncludes)};
}

const std::vector<std::pair<std::string, std::string>> kMacroNaming = {
    {"readability-identifier-naming.MacroDefinitionCase", "UPPER_CASE"}};

INSTANTIATE_TEST_SUITE_P(
    Runs, EnginePreamble,
    testing::Values(
        PreambleCase{"AstChecks",
                     "-*,modernize-use-nullptr,modernize-use-override,readability-braces-around-statements,"
                     "readability-inconsistent-declaration-parameter-name,performance-for-range-copy",
                     kHeader, ReusingSteps()},
        PreambleCase{"MissingForcedInclude", "-*,modernize-use-nullptr", kHeader, FailingSteps(kIncludes),
                     "-include missing-pch.h"},
        Failing("MissingHeader", "absent.h"), Failing("HeaderError", "broken.h"), Failing("HeaderWarning", "warned.h"),
        Failing("HeaderInstantiationError", "instantiated.h"),
        // Every group of checks at once, those that watch the preprocessor among them.
        PreambleCase{"AllGroups",
                     "-*,modernize-*,readability-*,performance-*,bugprone-*,misc-*,-misc-include-cleaner,llvm-*,"
                     "cppcoreguidelines-*,portability-*,google-*,cert-*,hicpp-*",
                     kWatchedHeader, EditedBelow(kWatchedPreamble, kWatchedBody), "", kMacroNaming},
        PreambleCase{"Elifdef",
                     "-*,readability-redundant-preprocessor,readability-avoid-unconditional-preprocessor-if,"
                     "modernize-macro-to-enum,bugprone-macro-parentheses",
                     kWatchedHeader, EditedBelow(kElifdefPreamble, "int Later();\n#if 1\nint Pick();\n#endif\n"),
                     "-std=c++23"},
        // A check that reads more of the preamble than its events, and forced
        // includes that the events leave out: no preamble.
        PreambleCase{"Cleaner", "-*,misc-include-cleaner",
                     "#pragma once\n#include <string>\n#include <map> // IWYU pragma: export\n",
                     EditedBelow("#include \"defs.h\" // IWYU pragma: keep\n#include <vector>\n#include <set>\n",
                                 "std::string Name();\nstd::map<int, int> Map();\n", false)},
        PreambleCase{"ForcedInclude",
                     "-*,bugprone-macro-parentheses,readability-identifier-naming,readability-duplicate-include",
                     kWatchedHeader, EditedBelow(kWatchedPreamble, kWatchedBody, false), "-include defs.h",
                     kMacroNaming}));

}  // namespace
}  // namespace zotest
