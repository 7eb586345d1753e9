// Choosing, applying and writing back fixes.
#include <gtest/gtest.h>

#include <filesystem>

#include "fix_conflicts.h"
#include "fixing.h"
#include "support/temp_dir.h"

namespace zoci {
namespace {

Diagnostic WithFix(const std::string& check, std::vector<TextEdit> fix) {
  Diagnostic diagnostic;
  diagnostic.file = "a.cpp";
  diagnostic.check = check;
  diagnostic.offset = fix.front().offset;
  diagnostic.fix = std::move(fix);
  return diagnostic;
}

Report ReportWith(std::vector<Diagnostic> diagnostics) {
  Report report;
  report.sources["a.cpp"] = HostText{u"int* p = NULL; int* q = 0;\n", FileEncoding::utf8, false, 0, {}};
  report.files.push_back(InspectedFile{"a.cpp", false, {}, {}, std::move(diagnostics)});
  return report;
}

TEST(RefusedFixes, FollowClangTidysRulesForOverlaps) {
  struct Case {
    const char* what;
    std::vector<std::vector<TextEdit>> fixes;
    std::vector<bool> refused;
  };
  const Case cases[] = {
      {"ranges that touch", {{{0, 3, ""}}, {{3, 2, "x"}}}, {false, false}},
      {"insertions where a range starts and ends", {{{2, 0, "a"}}, {{2, 4, ""}}, {{6, 0, "b"}}}, {false, false, false}},
      {"two insertions at one place", {{{2, 0, "a"}}, {{2, 0, "b"}}}, {false, false}},
      {"an insertion inside a range", {{{3, 0, "a"}}, {{2, 4, ""}}}, {true, false}},
      {"crossing ranges", {{{0, 4, ""}}, {{2, 4, ""}}}, {true, true}},
      {"a range inside another, first", {{{2, 2, ""}}, {{0, 10, ""}}}, {true, false}},
      {"a range inside another, last", {{{0, 10, ""}}, {{2, 2, ""}}}, {false, true}},
      {"one range changed two ways", {{{2, 2, "a"}}, {{2, 2, "b"}}}, {true, true}},
      {"a fix of several ranges, one crossing", {{{0, 1, ""}, {5, 3, ""}}, {{7, 2, ""}}, {{20, 1, ""}}}, {true, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<const std::vector<TextEdit>*> fixes;
    for (const auto& fix : c.fixes) fixes.push_back(&fix);
    EXPECT_EQ(RefusedFixes(fixes), c.refused);
  }
}

TEST(PlanFixes, JudgesOverlapsOnTheFixesOwnReplacementsAndSaysWhatItSkips) {
  // Two initialisers removed from one list: each fix's cleanup alone takes the
  // comma between them, though the fixes themselves only touch.
  const std::u16string text = u"S() : a(), b(0) {}";
  Diagnostic first = WithFix("readability-redundant-member-init", {{6, 4, ""}});  // "a(),"
  first.ownFix = {{6, 3, ""}};
  Diagnostic second = WithFix("modernize-use-default-member-init", {{9, 1, ""}, {11, 5, ""}});  // "," and "b(0) "
  second.ownFix = {{11, 4, ""}};
  Diagnostic crossingA = WithFix("a-check", {{0, 2, "T"}});
  Diagnostic crossingB = WithFix("b-check", {{1, 2, "U"}});
  Diagnostic inserted = WithFix("c-check", {{16, 0, " "}});  // where the next fix's range starts
  Diagnostic replaced = WithFix("d-check", {{16, 2, "{ }"}});
  Report report = ReportWith({first, first, second, crossingA, crossingB, inserted, replaced});
  report.sources.at("a.cpp").text = text;
  const FixPlan plan = PlanFixes(report, "*");
  ASSERT_EQ(plan.skipped.size(), 3u);
  EXPECT_NE(plan.skipped[0].find("[modernize-use-default-member-init] skipped: its cleanup meets that of a fix already applied"),
            std::string::npos) << plan.skipped[0];
  EXPECT_NE(plan.skipped[1].find("[a-check] skipped: it overlaps another fix"), std::string::npos);
  EXPECT_NE(plan.skipped[2].find("[b-check] skipped: it overlaps another fix"), std::string::npos);
  EXPECT_EQ(plan.fixCount.at("a.cpp"), 3);
  EXPECT_EQ(ApplyEdits(text, plan.edits.at("a.cpp")), u"S() :  b(0)  { }");
}

TEST(ApplyEdits, ReplacesUtf16RangesWithUtf8Text) {
  EXPECT_EQ(ApplyEdits(u"a😀b€c", {{1, 2, "ü"}, {4, 1, ""}, {5, 0, "!"}}), u"aüb!c");
}

TEST(WriteBack, KeepsTheEncodingAndByteOrderMark) {
  zotest::TempDir dir;
  const std::string original = std::string("\xFF\xFE", 2) + std::string("a\0=\0""0\0;\0", 8);
  const auto path = dir.Write("a.cpp", original).string();
  std::string error;
  const HostText like{u"a=0;", FileEncoding::utf16le, true, 0, {}};
  ASSERT_TRUE(WriteBack(path, u"a=ü;", like, original, error)) << error;
  EXPECT_EQ(zotest::ReadBytes(path), std::string("\xFF\xFE", 2) + std::string("a\0=\0\xFC\0;\0", 8));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);  // no temporary left
}

TEST(WriteBack, RefusesAFileThatChangedOrATextItsCodePageCannotHold) {
  zotest::TempDir dir;
  const auto path = dir.Write("a.cpp", "int a;\n").string();
  std::string error;
  const HostText ansi{u"int a;\n", FileEncoding::ansi, false, 1252, {}};
  EXPECT_FALSE(WriteBack(path, u"int b;\n", ansi, "int c;\n", error));
  EXPECT_NE(error.find("changed on disk"), std::string::npos);
  EXPECT_FALSE(WriteBack(path, u"int 😀;\n", ansi, "int a;\n", error));
  EXPECT_NE(error.find("code page 1252"), std::string::npos);
  EXPECT_EQ(zotest::ReadBytes(path), "int a;\n");
}

}  // namespace
}  // namespace zoci
