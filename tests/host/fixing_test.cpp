// Choosing, applying and writing back fixes.
#include <gtest/gtest.h>

#include <filesystem>

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
  report.sources["a.cpp"] = HostText{u"int* p = NULL; int* q = 0;\n", FileEncoding::utf8, false, 0};
  report.files.push_back(InspectedFile{"a.cpp", false, {}, {}, std::move(diagnostics)});
  return report;
}

TEST(PlanFixes, SkipsOverlapsWithAMessageAndRepeatsSilently) {
  const Report report = ReportWith({WithFix("modernize-use-nullptr", {{9, 4, "nullptr"}}),
                                    WithFix("modernize-use-nullptr", {{9, 4, "nullptr"}}),
                                    WithFix("other-check", {{11, 5, "x"}}),
                                    WithFix("modernize-use-nullptr", {{24, 1, "nullptr"}})});
  const FixPlan plan = PlanFixes(report, "*");
  ASSERT_EQ(plan.edits.at("a.cpp").size(), 2u);
  EXPECT_EQ(plan.fixCount.at("a.cpp"), 2);
  ASSERT_EQ(plan.skipped.size(), 1u);
  EXPECT_NE(plan.skipped[0].find("a.cpp:1:12: fix of [other-check] skipped"), std::string::npos);
  EXPECT_EQ(ApplyEdits(report.sources.at("a.cpp").text, plan.edits.at("a.cpp")), u"int* p = nullptr; int* q = nullptr;\n");
}

TEST(PlanFixes, TakesAFixOnlyWhenNoneOfItsEditsTouchesAnEditTakenBefore) {
  struct Case {
    std::vector<TextEdit> fix;
    bool taken;
  };
  // In report order; the text is 27 units long.
  const Case cases[] = {
      {{{10, 4, "a"}}, true},
      {{{14, 2, "b"}}, true},                // starts where the first ends
      {{{12, 1, "c"}}, false},               // inside the first
      {{{12, 0, "d"}}, false},               // an insertion inside it
      {{{14, 0, "e"}}, false},               // at the start of another: two changes at one place
      {{{9, 0, "f"}}, true},                 // an insertion just before the first
      {{{5, 5, "g"}}, false},                // ends on that insertion's place, after the first's start
      {{{0, 2, "h"}, {20, 5, "i"}}, true},   // edits on both sides of everything taken
      {{{3, 1, "j"}, {17, 6, "k"}}, false},  // one edit free, the other overlapping "i"
      {{{16, 1, "l"}}, true},                // between "b" and "i"
      {{{1, 20, "m"}}, false},               // spanning several
      {{{10, 4, "a"}}, true},                // the first fix again: silently left out
  };
  std::vector<Diagnostic> diagnostics;
  for (const Case& c : cases) diagnostics.push_back(WithFix("check", c.fix));
  Report report = ReportWith(diagnostics);
  const FixPlan plan = PlanFixes(report, "*");
  std::vector<uint32_t> offsets;
  for (const TextEdit& edit : plan.edits.at("a.cpp")) offsets.push_back(edit.offset);
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 9, 10, 14, 16, 20}));
  EXPECT_EQ(plan.fixCount.at("a.cpp"), 5);
  size_t skipped = 0;
  for (const Case& c : cases) skipped += c.taken ? 0 : 1;
  EXPECT_EQ(plan.skipped.size(), skipped);
}

TEST(ApplyEdits, ReplacesUtf16RangesWithUtf8Text) {
  EXPECT_EQ(ApplyEdits(u"a😀b€c", {{1, 2, "ü"}, {4, 1, ""}, {5, 0, "!"}}), u"aüb!c");
}

TEST(WriteBack, KeepsTheEncodingAndByteOrderMark) {
  zotest::TempDir dir;
  const std::string original = std::string("\xFF\xFE", 2) + std::string("a\0=\0""0\0;\0", 8);
  const auto path = dir.Write("a.cpp", original).string();
  std::string error;
  const HostText like{u"a=0;", FileEncoding::utf16le, true, 0};
  ASSERT_TRUE(WriteBack(path, u"a=ü;", like, original, error)) << error;
  EXPECT_EQ(zotest::ReadBytes(path), std::string("\xFF\xFE", 2) + std::string("a\0=\0\xFC\0;\0", 8));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);  // no temporary left
}

TEST(WriteBack, RefusesAFileThatChangedOrATextItsCodePageCannotHold) {
  zotest::TempDir dir;
  const auto path = dir.Write("a.cpp", "int a;\n").string();
  std::string error;
  const HostText ansi{u"int a;\n", FileEncoding::ansi, false, 1252};
  EXPECT_FALSE(WriteBack(path, u"int b;\n", ansi, "int c;\n", error));
  EXPECT_NE(error.find("changed on disk"), std::string::npos);
  EXPECT_FALSE(WriteBack(path, u"int 😀;\n", ansi, "int a;\n", error));
  EXPECT_NE(error.find("code page 1252"), std::string::npos);
  EXPECT_EQ(zotest::ReadBytes(path), "int a;\n");
}

}  // namespace
}  // namespace zoci
