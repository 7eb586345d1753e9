// The customised checks in real runs: through the service, a parser, the
// library's check hook and the real engine, each ".ZO." option value gives
// the diagnostics and fixes its behaviour describes (so each hook point is
// asked with arguments the library's hook reads); without a hook the engine
// gives the stock check's result.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "e2e_samples.h"
#include "engine_driver.h"
#include "hooks/hook_dispatcher.h"
#include "interop/interop2.h"
#include "service/service.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

using namespace Quillfern::ZoCodeInspections::Native;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kLoops =
    "#include <vector>\nstruct Box {\n  std::vector<int> m_items;\n  int m_data[3];\n  int Sum() {\n"
    "    int total = 0;\n    for (std::size_t i = 0; i < m_items.size(); ++i) total += m_items[i];\n"
    "    for (int k = 0; k < 3; ++k) total += m_data[k];\n    return total;\n  }\n};\n";
constexpr const char* kClashes =
    "#include <vector>\nstruct S {\n  std::vector<int> _things_;\n  std::vector<int> m_items;\n  int Sum() {\n"
    "    int t = 0;\n    for (std::size_t i = 0; i < _things_.size(); ++i) t += _things_[i];\n"
    "    for (std::size_t i = 0; i < m_items.size(); ++i) { int item = 2; t += m_items[i] * item; }\n"
    "    for (std::size_t i = 0; i < m_items.size(); ++i)\n"
    "      for (std::size_t j = 0; j < m_items.size(); ++j) t += m_items[i] * m_items[j];\n    return t;\n  }\n};\n";
constexpr const char* kBools = "#define TRUE 1\n#define ON 1\nbool a = TRUE;\nbool b = ON;\nbool c = 1;\n";
constexpr const char* kTypedefs = "typedef int Row[3];\ntypedef const char* Names[4];\ntypedef int Count;\n";
constexpr const char* kSmartPointers =
    "#include <memory>\nvoid F() {\n  std::unique_ptr<int[]> u;\n  u.reset(new int[5]());\n"
    "  std::shared_ptr<int[]> s;\n  s.reset(new int[2]());\n  std::unique_ptr<int> one;\n  one.reset(new int(3));\n}\n";
constexpr const char* kContainers =
    "#include <vector>\nbool F(std::vector<std::vector<int>>& v, std::vector<int>* p) {\n"
    "  return v[0].size() == 0 && p->size() != 0;\n}\n";

/// One inspection through the library and what its fixes make of the text.
struct Inspected {
  std::vector<std::string> checks;  ///< one per diagnostic, in order
  std::string fixed;                ///< the source with every fix applied
};

/// The source with the replacements of every fix's first alternative applied
/// (ASCII sources only).
std::string ApplyFixes(const std::u16string& text, const std::vector<qfix>& fixes) {
  std::vector<repl> replacements;
  for (const qfix& fix : fixes) {
    if (!fix.actions.empty()) {
      const auto& first = fix.actions.front().replacements;
      replacements.insert(replacements.end(), first.begin(), first.end());
    }
  }
  std::sort(replacements.begin(), replacements.end(),
            [](const repl& a, const repl& b) { return a.span.start > b.span.start; });
  std::u16string out = text;
  for (const repl& r : replacements) {
    out.replace(r.span.start, r.span.length, std::u16string(r.text.begin(), r.text.end()));
  }
  return std::string(out.begin(), out.end());
}

class CustomisedChecks : public ::testing::Test {
 protected:
  ZoCodeInspectionsInterop2 service{RealEngine};  ///< a fresh service for every test

  /// Fix-less diagnostics of the selected checks are kept.
  Inspected Inspect(const std::string& source, const std::string& checks, CheckOptions options) {
    const std::string path = folder.Write("code.cpp", source).string();
    std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(path, InspectionSettings{}));
    const std::unique_ptr<RunResult> result =
        parser->Parse(ModeFlags::editorAutoDetectUtf8, UnsavedBuffers{}, checks, checks, options);
    Inspected inspected;
    if (!result) {
      ADD_FAILURE() << "no result";
      return inspected;
    }
    EXPECT_LT(result->status, 100) << result->errorText;
    for (const qfix& fix : result->qfixes) inspected.checks.push_back(fix.checkname);
    const std::u16string text(source.begin(), source.end());
    inspected.fixed = ApplyFixes(text, result->qfixes);
    return inspected;
  }

  TempDir folder;
};

struct OptionCase {
  const char* title;
  const char* source;
  const char* checks;
  CheckOptions options;
  size_t diagnostics;
  std::vector<std::string> fixedLines;    ///< lines the fixed text holds
  std::vector<std::string> unfixedLines;  ///< lines it no longer or never holds
};

TEST_F(CustomisedChecks, EachOptionValueChangesTheRealRunAsItsBehaviourSays) {
  const char* loop = "-*,modernize-loop-convert";
  const char* bools = "-*,modernize-use-bool-literals";
  const char* usings = "-*,modernize-use-using";
  const char* smart = "-*,modernize-make-unique,modernize-make-shared";
  // clang-format off
  const std::vector<OptionCase> cases = {
      {"loop: member container named after its element, element type", kLoops, loop, {}, 2,
       {"for (int item : m_items) total += item;", "for (int k : m_data) total += k;"}, {"m_item "}},
      {"loop: names in use fall back to the old index, also in a nested loop", kClashes, loop, {}, 4,
       {"for (int thing : _things_) t += thing;", "for (int i : m_items) { int item = 2; t += i * item; }",
        "for (int item : m_items)\n      for (int j : m_items) t += item * j;"}, {}},
      {"loop: PreferType=0 declares auto", kLoops, loop, {{"modernize-loop-convert.ZO.PreferType", "0"}}, 2,
       {"for (auto item : m_items) total += item;", "for (auto k : m_data)"}, {"for (int"}},
      {"bool: TRUE and FALSE fixed by default, other macros reported only", kBools, bools, {}, 3,
       {"bool a = true;", "bool b = ON;", "bool c = true;"}, {}},
      {"bool: AllowedMacros=0 leaves macros alone", kBools, bools,
       {{"modernize-use-bool-literals.ZO.AllowedMacros", "0"}}, 1, {"bool a = TRUE;", "bool c = true;"}, {}},
      {"bool: AllowedMacros=2 treats every macro as code", kBools, bools,
       {{"modernize-use-bool-literals.ZO.AllowedMacros", "2"}}, 3, {"bool a = true;", "bool b = true;"}, {}},
      {"using: arrays converted by default", kTypedefs, usings, {}, 3,
       {"using Row = int[3];", "using Names = const char*[4];", "using Count = int;"}, {"typedef"}},
      {"using: AllowArrays=0 reports arrays without a fix", kTypedefs, usings,
       {{"modernize-use-using.ZO.AllowArrays", "0"}}, 3,
       {"typedef int Row[3];", "typedef const char* Names[4];", "using Count = int;"}, {}},
      {"smart pointers: arrays handled by default", kSmartPointers, smart, {}, 3,
       {"u = std::make_unique<int[]>(5);", "s = std::make_shared<int[]>(2);", "one = std::make_unique<int>(3);"}, {}},
      {"smart pointers: make-unique AllowArrays=0", kSmartPointers, smart,
       {{"modernize-make-unique.ZO.AllowArrays", "0"}}, 2,
       {"u.reset(new int[5]());", "s = std::make_shared<int[]>(2);", "one = std::make_unique<int>(3);"}, {}},
      {"smart pointers: make-shared AllowArrays=0", kSmartPointers, smart,
       {{"modernize-make-shared.ZO.AllowArrays", "0"}}, 2,
       {"u = std::make_unique<int[]>(5);", "s.reset(new int[2]());"}, {}},
      {"braces around a container that is more than a chain of names", kContainers,
       "-*,readability-container-size-empty", {}, 2, {"return (v[0]).empty() && !p->empty();"}, {}},
  };
  // clang-format on
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.title);
    const Inspected inspected = Inspect(c.source, c.checks, c.options);
    EXPECT_EQ(inspected.checks.size(), c.diagnostics) << inspected.fixed;
    for (const std::string& line : c.fixedLines) EXPECT_THAT(inspected.fixed, HasSubstr(line));
    for (const std::string& line : c.unfixedLines) EXPECT_THAT(inspected.fixed, Not(HasSubstr(line)));
  }
}

TEST_F(CustomisedChecks, AStopAfterCompilerErrorsAlsoDropsWhatPreprocessorChecksReported) {
  // The macro check reports from the preprocessor's callback, while parsing.
  const char* source = "#define PI 3.14\nUnknown value;\n";
  const char* checks = "-*,cppcoreguidelines-macro-usage";
  const Inspected inspected = Inspect(source, checks, {});
  EXPECT_EQ(inspected.checks, std::vector<std::string>{});
  // The real engine without any hook, as the stock checks run.
  const EngineRunResult stock = RunEngine(RealEngine(), FileRequest(folder.Write("stock.cpp", source), checks));
  EXPECT_EQ(CountLines(stock.diagnostics, "[cppcoreguidelines-macro-usage]"), 1) << stock.diagnostics;
}

TEST_F(CustomisedChecks, UseUsingLeavesInvalidDeclarationsToTheLibrary) {
  // Runs with errors stop every check, so the library's hook answers all
  // but that question here.
  const CheckOptions options;
  const CheckHook library = MakeCheckHook(&options);
  EngineRequest request =
      FileRequest(folder.Write("invalid.cpp", "typedef Unknown Alias;\ntypedef int Fine;\n"), "-*,modernize-use-using");
  request.hook = [&library](uint32_t id, HookArgs&& args) -> std::optional<HookArgs> {
    if (id == HookId::stopAfterErrors) return std::nullopt;
    return library(id, std::move(args));
  };
  const EngineRunResult run = RunEngine(RealEngine(), request);
  EXPECT_EQ(CountLines(run.diagnostics, "[modernize-use-using]"), 1) << run.diagnostics;
  EXPECT_THAT(run.diagnostics, HasSubstr("invalid.cpp:2:1: warning: use 'using'"));
}

}  // namespace
}  // namespace zotest
