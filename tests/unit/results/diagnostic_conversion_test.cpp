// Engine diagnostics to quick-fix records: filters, directives and mapping.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "buffers/source_cache.h"
#include "interop/inspection_settings.h"
#include "results/diagnostic_conversion.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::FixesDiagnostic;
using Native::ZoSpan;

namespace {

class ConvertDiagnostics : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) { return dir_.Write(name, text).string(); }

  std::vector<Native::qfix> Convert(std::vector<FixesDiagnostic> diagnostics) {
    Native::RunResult result;
    Native::CacheView view(cache_);
    Native::ConvertDiagnostics(std::move(diagnostics), result, filter_, view, runLog_, errorText_);
    return result.qfixes;
  }

  zotest::TempDir dir_;
  Native::SourceCache cache_;
  Native::DiagnosticFilter filter_;
  std::string runLog_;
  std::string errorText_;
};

FixesDiagnostic Diagnostic(const std::string& file, uint32_t offset,
                           std::vector<Native::FixReplacement> replacements = {},
                           const std::string& check = "readability-x") {
  FixesDiagnostic diagnostic{check, "message", file, offset, 1, {}};
  for (auto& replacement : replacements) diagnostic.fix[replacement.filePath].insert(replacement);
  return diagnostic;
}

Native::FixReplacement Replace(const std::string& file, uint32_t offset, uint32_t length, std::string text) {
  return {file, offset, length, std::move(text)};
}

TEST_F(ConvertDiagnostics, OffsetsAfterAByteOrderMarkMapFromTheTextStart) {
  const auto file = Write("bom.c", "\xEF\xBB\xBFint \xC3\xA9;\n");
  const auto records = Convert({Diagnostic(file, 3, {Replace(file, 7, 2, "e")})});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].triggerspan, (ZoSpan{0, 1}));
  EXPECT_EQ(records[0].triggerLine, 0);
  ASSERT_EQ(records[0].actions.size(), 1u);
  const auto& replacement = records[0].actions[0].replacements.at(0);
  EXPECT_EQ(replacement.span, (ZoSpan{4, 1}));
  EXPECT_EQ(replacement.engineSpan, (ZoSpan{7, 2}));
  ASSERT_NE(records[0].fileText, nullptr);
  EXPECT_EQ(*records[0].fileText, u"int \u00E9;\n");
  // The kept function maps further ranges of the same file.
  EXPECT_EQ((*records[0].spanMap)(7, 2), std::make_pair(0, ZoSpan{4, 1}));
}

TEST_F(ConvertDiagnostics, UnknownFilesKeepTheEngineOffsets) {
  const std::string missing = (dir_.Path() / "gone.c").string();
  const auto records = Convert({Diagnostic(missing, 12, {Replace(missing, 20, 3, "x")})});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].triggerspan, (ZoSpan{12, 1}));
  EXPECT_EQ(records[0].triggerLine, -1);
  EXPECT_EQ(records[0].fileText, nullptr);
  EXPECT_EQ(records[0].actions[0].replacements[0].span, (ZoSpan{20, 3}));
}

TEST_F(ConvertDiagnostics, ARefusedReplacementKeepsItsEngineRangeWhileItsNeighboursMap) {
  const auto file = Write("a.c", "\xC3\xA9=1;\nx=2;\n");
  const auto other = Write("other.c", "");
  const auto records =
      Convert({Diagnostic(file, 6, {Replace(file, 2, 1, "a"), Replace(file, 900, 2, "b"), Replace(other, 6, 1, "c")})});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].triggerLine, 1);
  const auto& replacements = records[0].actions[0].replacements;
  ASSERT_EQ(replacements.size(), 3u);
  EXPECT_EQ(replacements[0].span, (ZoSpan{1, 1}));
  EXPECT_EQ(replacements[1].span, (ZoSpan{900, 2}));
  // Mapped with the diagnostic's file, whatever file it names.
  EXPECT_EQ(replacements[2].span, (ZoSpan{5, 1}));
  EXPECT_EQ(replacements[2].text, "c");
}

TEST_F(ConvertDiagnostics, FixlessDiagnosticsNeedTheSettingOrTheirCheckListed) {
  const auto file = Write("f.c", "int f;\n");
  EXPECT_TRUE(Convert({Diagnostic(file, 0)}).empty());
  filter_.fixlessChecks = "misc-a,readability-x";
  EXPECT_EQ(Convert({Diagnostic(file, 0)}).size(), 1u);
  filter_.fixlessChecks.clear();
  filter_.keepFixlessDiagnostics = true;
  const auto kept = Convert({Diagnostic(file, 0)});
  ASSERT_EQ(kept.size(), 1u);
  ASSERT_EQ(kept[0].actions.size(), 1u);
  EXPECT_TRUE(kept[0].actions[0].replacements.empty());
  EXPECT_EQ(kept[0].actions[0].title, "message");
  EXPECT_TRUE(Convert({Diagnostic("", 0)}).empty());
}

TEST_F(ConvertDiagnostics, ErrorsDropWithSkipErrorsEvenWithAFix) {
  const auto file = Write("e.c", "int e;\n");
  auto error = Diagnostic(file, 0, {Replace(file, 0, 1, "x")}, "clang-diagnostic-error");
  auto levelled = Diagnostic(file, 1, {Replace(file, 1, 1, "y")}, "clang-diagnostic-foo");
  levelled.level = Native::kDiagnosticLevelError;
  EXPECT_EQ(Convert({error, levelled}).size(), 2u);
  filter_.skipErrors = true;
  EXPECT_TRUE(Convert({error, levelled}).empty());
}

TEST_F(ConvertDiagnostics, MainFileOnlyComparesFileIdentity) {
  const auto main = Write("src/main.c", "int m;\n");
  const auto header = Write("src/h.h", "int h;\n");
  filter_.mainFile = std::filesystem::path(main).lexically_normal();
  filter_.modeFlags = Native::ModeFlags::mainFileOnly;
  filter_.excludedFolders = {dir_.Path() / "src"};  // not consulted
  const std::string dotted = (dir_.Path() / "src" / "." / "main.c").string();
  const auto records = Convert(
      {Diagnostic(dotted, 0, {Replace(dotted, 0, 1, "x")}), Diagnostic(header, 0, {Replace(header, 0, 1, "x")})});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].filename, dotted);
}

TEST_F(ConvertDiagnostics, ExcludedFoldersDropWhatLiesInsideThem) {
  const auto inside = Write("sys/deep/a.h", "int a;\n");
  const auto beside = Write("sys2/b.h", "int b;\n");
  filter_.excludedFolders = {dir_.Path() / "sys"};
  const std::string climbing = (dir_.Path() / "sys" / ".." / "sys2" / "b.h").string();
  const auto records =
      Convert({Diagnostic(inside, 0, {Replace(inside, 0, 1, "x")}), Diagnostic(beside, 0, {Replace(beside, 0, 1, "x")}),
               Diagnostic(climbing, 1, {Replace(climbing, 1, 1, "x")})});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].filename, beside);
  EXPECT_EQ(records[1].filename, climbing);
}

TEST_F(ConvertDiagnostics, DirectivesOfTheDiagnosticsFileDropIt) {
  const auto file = Write("d.c", "int a; // zoCI:skip:readability\nint b;\n");
  const auto records = Convert({Diagnostic(file, 4, {Replace(file, 4, 1, "x")}),
                                Diagnostic(file, 4, {Replace(file, 4, 1, "x")}, "bugprone-y"),
                                Diagnostic(file, 36, {Replace(file, 36, 1, "x")})});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].checkname, "bugprone-y");
  EXPECT_EQ(records[1].triggerLine, 1);

  const auto skipped = Write("s.c", "int s; /* zoCI:skipall */\n");
  EXPECT_TRUE(Convert({Diagnostic(skipped, 0, {Replace(skipped, 0, 1, "x")})}).empty());
  EXPECT_EQ(runLog_, "*** File " + skipped + " skipped by zoCI:skipall directive ***\n\n");
}

TEST_F(ConvertDiagnostics, AFailingDiagnosticCostsOnlyItself) {
  const auto bad = Write("bad.c", "int x; // zoCI:skip+99999999999\n");
  const auto good = Write("good.c", "int y;\n");
  const auto records =
      Convert({Diagnostic(bad, 0, {Replace(bad, 0, 1, "x")}), Diagnostic(good, 0, {Replace(good, 0, 1, "x")})});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].filename, good);
  EXPECT_EQ(errorText_, "*** exception: stoul argument out of range\n");
}

}  // namespace
