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
  report.sources["a.cpp"] = HostText{u"int* p = NULL; int* q = 0;\n", FileEncoding::utf8, false, 0, {}};
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
