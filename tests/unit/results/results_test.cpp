// The results of a run: engine diagnostics to quick-fix records (filters,
// directives, mapping), the skip directives and the suppression test, and
// the records' text form, order and de-duplication.
#include <gmock/gmock.h>

#include <set>
#include <stdexcept>

#include "buffers/source_cache.h"
#include "interop/inspection_settings.h"
#include "platform/string_printf.h"
#include "results/diagnostic_conversion.h"
#include "results/directives.h"
#include "results/qfix_order.h"
#include "results/qfix_text.h"
#include "support/temp_dir.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using ::testing::ElementsAre;
using Rules = std::vector<SkipRule>;

/// A diagnostic of `check` at `offset` with the given replacements.
FixesDiagnostic Diagnostic(const std::string& file, uint32_t offset, std::vector<FixReplacement> replacements,
                           const std::string& check = "readability-x") {
  FixesDiagnostic diagnostic{check, "message", file, offset, 1, {}};
  for (auto& replacement : replacements) diagnostic.fix[replacement.filePath].insert(replacement);
  return diagnostic;
}

/// A diagnostic whose fix replaces the byte it points at.
FixesDiagnostic Fixed(const std::string& file, uint32_t offset, const std::string& check = "readability-x") {
  return Diagnostic(file, offset, {{file, offset, 1, "x"}}, check);
}

/// A record's trigger span and line, then the spans of its first action's
/// replacements: "start+length@line: start+length ...".
std::string Describe(const qfix& record) {
  std::string text = StringPrintf("%u+%u@%d:", record.triggerspan.start, record.triggerspan.length, record.triggerLine);
  for (const auto& replacement : record.actions.at(0).replacements) {
    text += StringPrintf(" %u+%u", replacement.span.start, replacement.span.length);
  }
  return text;
}

class Results : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) { return dir_.Write(name, text).string(); }
  std::vector<qfix> Convert(std::vector<FixesDiagnostic> diagnostics) {
    RunResult result;
    CacheView view(cache_);
    ConvertDiagnostics(std::move(diagnostics), result, filter_, view, runLog_, errorText_, otherFiles_);
    return result.qfixes;
  }
  std::vector<std::string> Kept(std::vector<FixesDiagnostic> diagnostics) {
    std::vector<std::string> names;
    for (const auto& record : Convert(std::move(diagnostics))) names.push_back(record.filename);
    return names;
  }
  std::shared_ptr<const FileDirectives> Directives(const std::string& text) {
    const auto path = Write("f" + std::to_string(files_++) + ".c", text);
    record_ = view_.GetFile(path, path, FileWanted::anyLoadable);
    return GetDirectives(*record_);
  }

  zotest::TempDir dir_;
  SourceCache cache_;
  CacheView view_{cache_};
  DiagnosticFilter filter_;
  std::string runLog_, errorText_;
  std::set<RecordKey> otherFiles_;  ///< records whose fix also changes other files
  int files_ = 0;
  std::shared_ptr<clfile> record_;
};

// Offsets after a byte order mark map from the text start, and the kept
// function maps further ranges of the same file; unknown files keep the
// engine's offsets. A refused replacement keeps its engine range while its
// neighbours map, with the diagnostic's file whatever file they name.
TEST_F(Results, DiagnosticsMapToTheHostsUtf16Spans) {
  const auto file = Write("bom.c", "\xEF\xBB\xBFint \xC3\xA9;\n");
  const auto records = Convert({Diagnostic(file, 3, {{file, 7, 2, "e"}})});
  EXPECT_EQ(Describe(records.at(0)), "0+1@0: 4+1");
  EXPECT_EQ(records[0].actions[0].replacements[0].engineSpan, (ZoSpan{7, 2}));
  EXPECT_EQ(*records[0].fileText, u"int \u00E9;\n");
  EXPECT_EQ((*records[0].spanMap)(7, 2), std::make_pair(0, ZoSpan{4, 1}));
  const std::string missing = (dir_.Path() / "gone.c").string();
  const auto unknown = Convert({Diagnostic(missing, 12, {{missing, 20, 3, "x"}})});
  EXPECT_EQ(Describe(unknown.at(0)), "12+1@-1: 20+3");
  EXPECT_EQ(unknown[0].fileText, nullptr);
  const auto accented = Write("a.c", "\xC3\xA9=1;\nx=2;\n");
  const auto other = Write("other.c", "");
  const auto mixed =
      Convert({Diagnostic(accented, 6, {{accented, 2, 1, "a"}, {accented, 900, 2, "b"}, {other, 6, 1, "c"}})});
  EXPECT_EQ(Describe(mixed.at(0)), "5+1@1: 1+1 900+2 5+1");
  // Only that fix is told apart: it also changes another file.
  EXPECT_EQ(otherFiles_, std::set<RecordKey>{KeyOf(mixed.at(0))});
}

TEST_F(Results, FixlessDiagnosticsNeedTheSettingOrTheirCheckListedAndErrorsGoWithSkipErrors) {
  const auto file = Write("f.c", "int f;\n");
  EXPECT_TRUE(Convert({Diagnostic(file, 0, {})}).empty());
  filter_.fixlessChecks = "misc-a,readability-x";
  EXPECT_EQ(Convert({Diagnostic(file, 0, {})}).size(), 1u);
  filter_.fixlessChecks.clear();
  filter_.keepFixlessDiagnostics = true;
  const auto kept = Convert({Diagnostic(file, 0, {})});
  EXPECT_EQ(Describe(kept.at(0)), "0+1@0:");
  EXPECT_EQ(kept[0].actions.size(), 1u);
  EXPECT_EQ(kept[0].actions[0].title, "message");
  EXPECT_TRUE(Convert({Diagnostic("", 0, {})}).empty());
  // Errors drop with skip-errors, even with a fix.
  auto levelled = Fixed(file, 1, "clang-diagnostic-foo");
  levelled.level = kDiagnosticLevelError;
  EXPECT_EQ(Convert({Fixed(file, 0, "clang-diagnostic-error"), levelled}).size(), 2u);
  filter_.skipErrors = true;
  EXPECT_TRUE(Convert({Fixed(file, 0, "clang-diagnostic-error"), levelled}).empty());
}

// The main file alone compares file identity, not spelling, and leaves the
// excluded folders alone; otherwise what lies inside them drops.
TEST_F(Results, MainFileOnlyAndExcludedFoldersDropOtherFiles) {
  const auto main = Write("sys/main.c", "int m;\n");
  const auto inside = Write("sys/deep/a.h", "int a;\n");
  const auto beside = Write("sys2/b.h", "int b;\n");
  const std::string dotted = (dir_.Path() / "sys" / "." / "main.c").string();
  const std::string climbing = (dir_.Path() / "sys" / ".." / "sys2" / "b.h").string();
  filter_.excludedFolders = {dir_.Path() / "sys"};
  EXPECT_EQ(Kept({Fixed(inside, 0), Fixed(beside, 0), Fixed(climbing, 1)}), (std::vector{beside, climbing}));
  filter_.mainFile = std::filesystem::path(main).lexically_normal();
  filter_.modeFlags = ModeFlags::mainFileOnly;
  EXPECT_EQ(Kept({Fixed(dotted, 0), Fixed(beside, 0)}), std::vector{dotted});
}

TEST_F(Results, DirectivesOfTheDiagnosticsFileDropIt) {
  const auto file = Write("d.c", "int a; // zoCI:skip:readability\nint b;\n");
  const auto records = Convert({Fixed(file, 4), Fixed(file, 4, "bugprone-y"), Fixed(file, 36)});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(std::tie(records[0].checkname, records[1].triggerLine), std::make_tuple("bugprone-y", 1));
  const auto skipped = Write("s.c", "int s; /* zoCI:skipall */\n");
  EXPECT_TRUE(Convert({Fixed(skipped, 0)}).empty());
  EXPECT_EQ(runLog_, "*** File " + skipped + " skipped by zoCI:skipall directive ***\n\n");
  // A failing diagnostic costs only itself.
  const auto bad = Write("bad.c", "int x; // zoCI:skip+99999999999\n");
  EXPECT_EQ(Kept({Fixed(bad, 0), Fixed(file, 36)}), std::vector{file});
  EXPECT_EQ(errorText_, "*** exception: stoul argument out of range\n");
}

TEST_F(Results, DirectivesCountsSignsAndCheckListsGiveTheirRules) {
  // clang-format off
  const std::pair<std::string, Rules> cases[] = {
      // counts include the directive's own line; backward counts stop at the first line
      {"a;\nb; // zoCI:skip\n", {{1, 1, {}}}}, {"a;\nb; // zoCI:skip+3\n", {{1, 3, {}}}},
      {"a;\nb;\nc;\nd; // zoCI:skip-3\n", {{1, 3, {}}}}, {"a;\nb; // zoCI:skip*\n", {{1, 100'000'000, {}}}},
      {"a;\nb; // zoCI:skip-*\n", {{0, 1, {}}}}, {"a;\nb;\nc; // zoCI:skip-5\n", {{0, 2, {}}}},
      {"// zoCI:skip-2", {{0, 0, {}}}},
      // zero counts are ignored, loose signs read as plain
      {"x; // zoCI:skip0\n", {}}, {"x; // zoCI:skip+ later\n", {{0, 0, {}}}},
      // check lists keep their non-empty pieces and end outside their alphabet
      {"x; // zoCI:skip+2:modernize,,bugprone-x,\n", {{0, 1, {"modernize", "bugprone-x"}}}},
      {"x; // zoCI:skip:cert-err58 (why)\n", {{0, 0, {"cert-err58"}}}},
      // anywhere in the text, in any letter case
      {"a;\nconst char* s = \"ZoCi:SkIp+2\";\n", {{1, 2, {}}}},
      {"zoCI:skipzoCI:skip\n\xC3\xA9 zoci:skip", {{0, 0, {}}, {0, 0, {}}, {1, 1, {}}}},
      // huge counts clamp
      {"a;\nx; // zoCI:skip+4294967295\n", {{1, 100'000'000, {}}}}, {"a;\nx; // zoCI:skip-2147483648\n", {{0, 1, {}}}},
      {"a;\nx; // zoCI:skip+2147483647\n", {{1, 2147483647, {}}}},
      // a listed skip-all covers every line for its checks
      {"a;\n// ZOCI:SKIPALL:readability\n", {{0, 99'999'999, {"readability"}}}}};
  // clang-format on
  for (const auto& [text, rules] : cases) {
    const auto parsed = Directives(text);
    EXPECT_EQ(parsed->rules, rules) << text;
    EXPECT_FALSE(parsed->skipAll) << text;
  }
  // A colon followed by no list: the skip-all form without a list.
  for (const char* text : {"a;\n// zoCI:skipall\n", "// zoCI:skipall: everything\n"}) {
    EXPECT_TRUE(Directives(text)->skipAll);
    EXPECT_TRUE(Directives(text)->rules.empty());
  }
  // Runs pin the main file's skip-all; a listed skip-all before a plain one is left here.
  EXPECT_TRUE(HasSkipAllDirective("// zoCI:skipall:a\n// zoCI:skipall\n"));
}

// Counts beyond their type fail on every request: nothing is kept.
TEST_F(Results, DirectivesParsedOnceAndKeptInTheRecordButNoTextOrAFailureMeansNoneKept) {
  EXPECT_THROW(Directives("x; // zoCI:skip+4294967296\n"), std::out_of_range);
  EXPECT_THROW(GetDirectives(*record_), std::out_of_range);
  const auto first = Directives("x; // zoCI:skip\n");
  EXPECT_EQ(GetDirectives(*record_), first);
  clfile record("n.c", "n.c", "n.c", {});
  EXPECT_EQ(GetDirectives(record), nullptr);
  EXPECT_EQ(record.directives, nullptr);
  record.utf8Text.set(std::make_shared<const std::string>("zoCI:skipall"));
  EXPECT_TRUE(GetDirectives(record)->skipAll);
  // Mostly non-ASCII UTF-16 without line breaks does not look like UTF-16 to
  // the detector; an editor's buffer has lines all the same.
  std::u16string text(40, u'\u4E2D');
  text += u" zoCI:skip";
  const auto buffer = cache_.AddModifiedBuffer("b.c", "b.c", "b.c", std::make_shared<const std::u16string>(text));
  ASSERT_NE(GetRecordMapper(*buffer), nullptr);
  EXPECT_EQ(GetDirectives(*buffer)->rules, (Rules{{0, 0, {}}}));
}

TEST(IsSuppressed, FirstRuleCoveringTheLineAndCheckDecides) {
  const Rules rules = {{2, 4, {"MODERNIZE", "cert"}}, {10, 10, {}}};
  const std::tuple<int32_t, const char*, bool> cases[] = {
      {3, "modernize-use-auto", true},  {2, "cert-err58-cpp", true}, {3, "bugprone-use-after-move", false},
      {5, "modernize-use-auto", false}, {10, "anything", true},      {-1, "anything", false}};
  for (const auto& [line, check, suppressed] : cases) EXPECT_EQ(IsSuppressed(rules, line, check), suppressed) << line;
  EXPECT_FALSE(IsSuppressed({}, 0, "anything"));
}

qfix Record(std::string file, uint32_t start, uint32_t length, std::string message, std::string check = "c") {
  return qfix{std::move(check), std::move(message), std::move(file), nullptr, {}, {start, length}, -1, nullptr};
}

TEST(QfixText, RecordsListTheirActionsAndReplacements) {
  qfix record = Record("a.c", 8, 1, "use x", "modernize-x");
  record.actions = {{"use x", {{"x", {8, 3}, {10, 3}}}, {{"y", {1, 0}, {0, 0}}}, 7}, {"none", {}, {}, 0}};
  EXPECT_THAT(
      QfixLines(record),
      ElementsAre("qfix{", "  checkname: modernize-x", "  message: use x", "  filename: a.c", "  triggerspan: [8,9)",
                  "  actions: ", "  action{use x:", "    repl{[8,11)||[10,13) : x}", " -- new -- ",
                  "    repl{[1,1)||[0,0) : y}", "  }", "  action{none:", " -- new -- ", "  }", "  }"));
  EXPECT_EQ(ResultsText({record, record}).size(), 30u);
}

/// Sorts and de-duplicates `records`: the check names of what is left, in order.
std::vector<std::string> Sorted(std::vector<qfix> records) {
  SortAndDeduplicate(records);
  std::vector<std::string> checks;
  for (const auto& record : records) checks.push_back(record.checkname);
  return checks;
}

// Files compare ignoring case ("_" before "A" only with A folded to "a"),
// then start, length and message; duplicates collapse to the first.
TEST(QfixOrder, FileIgnoringCaseThenStartThenLengthThenMessage) {
  EXPECT_THAT(Sorted({Record("b.c", 0, 1, "m", "6"), Record("A.c", 5, 2, "m", "4"), Record("a.c", 5, 1, "zz", "3"),
                      Record("a.c", 5, 1, "Z", "2"), Record("a.c", 1, 9, "m", "1"), Record("A.c", 5, 2, "mm", "5"),
                      Record("_.c", 9, 9, "m", "0")}),
              ElementsAre("0", "1", "2", "3", "4", "5", "6"));
  EXPECT_THAT(Sorted({Record("x.c", 3, 1, "same", "first"), Record("X.C", 3, 1, "same", "case"),
                      Record("x.c", 3, 1, "same", "check"), Record("x.c", 3, 1, "Same", "message"),
                      Record("x.c", 3, 2, "same", "length")}),
              ElementsAre("message", "first", "length"));
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
