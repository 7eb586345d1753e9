// Engine diagnostics to quick-fix records: filters, directives and mapping.
#include <gtest/gtest.h>

#include "buffers/source_cache.h"
#include "interop/inspection_settings.h"
#include "results/diagnostic_conversion.h"
#include "support/temp_dir.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

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

class ConvertDiagnostics : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) { return dir_.Write(name, text).string(); }

  std::vector<qfix> Convert(std::vector<FixesDiagnostic> diagnostics) {
    RunResult result;
    CacheView view(cache_);
    Native::ConvertDiagnostics(std::move(diagnostics), result, filter_, view, runLog_, errorText_);
    return result.qfixes;
  }
  /// The file names of the records that Convert keeps.
  std::vector<std::string> Kept(std::vector<FixesDiagnostic> diagnostics) {
    std::vector<std::string> names;
    for (const auto& record : Convert(std::move(diagnostics))) names.push_back(record.filename);
    return names;
  }

  zotest::TempDir dir_;
  SourceCache cache_;
  DiagnosticFilter filter_;
  std::string runLog_, errorText_;
};

TEST_F(ConvertDiagnostics, OffsetsAfterAByteOrderMarkMapFromTheTextStart) {
  const auto file = Write("bom.c", "\xEF\xBB\xBFint \xC3\xA9;\n");
  const auto records = Convert({Diagnostic(file, 3, {{file, 7, 2, "e"}})});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].triggerspan, (ZoSpan{0, 1}));
  EXPECT_EQ(records[0].triggerLine, 0);
  const auto& replacement = records[0].actions.at(0).replacements.at(0);
  EXPECT_EQ(replacement.span, (ZoSpan{4, 1}));
  EXPECT_EQ(replacement.engineSpan, (ZoSpan{7, 2}));
  ASSERT_NE(records[0].fileText, nullptr);
  EXPECT_EQ(*records[0].fileText, u"int \u00E9;\n");
  // The kept function maps further ranges of the same file.
  EXPECT_EQ((*records[0].spanMap)(7, 2), std::make_pair(0, ZoSpan{4, 1}));
  // Unknown files keep the engine's offsets.
  const std::string missing = (dir_.Path() / "gone.c").string();
  const auto unknown = Convert({Diagnostic(missing, 12, {{missing, 20, 3, "x"}})});
  ASSERT_EQ(unknown.size(), 1u);
  EXPECT_EQ(unknown[0].triggerspan, (ZoSpan{12, 1}));
  EXPECT_EQ(unknown[0].triggerLine, -1);
  EXPECT_EQ(unknown[0].fileText, nullptr);
  EXPECT_EQ(unknown[0].actions[0].replacements[0].span, (ZoSpan{20, 3}));
}

TEST_F(ConvertDiagnostics, ARefusedReplacementKeepsItsEngineRangeWhileItsNeighboursMap) {
  const auto file = Write("a.c", "\xC3\xA9=1;\nx=2;\n");
  const auto other = Write("other.c", "");
  const auto records = Convert({Diagnostic(file, 6, {{file, 2, 1, "a"}, {file, 900, 2, "b"}, {other, 6, 1, "c"}})});
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

TEST_F(ConvertDiagnostics, FixlessDiagnosticsNeedTheSettingOrTheirCheckListedAndErrorsGoWithSkipErrors) {
  const auto file = Write("f.c", "int f;\n");
  EXPECT_TRUE(Convert({Diagnostic(file, 0, {})}).empty());
  filter_.fixlessChecks = "misc-a,readability-x";
  EXPECT_EQ(Convert({Diagnostic(file, 0, {})}).size(), 1u);
  filter_.fixlessChecks.clear();
  filter_.keepFixlessDiagnostics = true;
  const auto kept = Convert({Diagnostic(file, 0, {})});
  ASSERT_EQ(kept.size(), 1u);
  ASSERT_EQ(kept[0].actions.size(), 1u);
  EXPECT_TRUE(kept[0].actions[0].replacements.empty());
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
TEST_F(ConvertDiagnostics, MainFileOnlyAndExcludedFoldersDropOtherFiles) {
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

TEST_F(ConvertDiagnostics, DirectivesOfTheDiagnosticsFileDropIt) {
  const auto file = Write("d.c", "int a; // zoCI:skip:readability\nint b;\n");
  const auto records = Convert({Fixed(file, 4), Fixed(file, 4, "bugprone-y"), Fixed(file, 36)});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].checkname, "bugprone-y");
  EXPECT_EQ(records[1].triggerLine, 1);
  const auto skipped = Write("s.c", "int s; /* zoCI:skipall */\n");
  EXPECT_TRUE(Convert({Fixed(skipped, 0)}).empty());
  EXPECT_EQ(runLog_, "*** File " + skipped + " skipped by zoCI:skipall directive ***\n\n");
  // A failing diagnostic costs only itself.
  const auto bad = Write("bad.c", "int x; // zoCI:skip+99999999999\n");
  EXPECT_EQ(Kept({Fixed(bad, 0), Fixed(file, 36)}), std::vector{file});
  EXPECT_EQ(errorText_, "*** exception: stoul argument out of range\n");
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
