// Claiming fixes under tokens, withdrawing them on a re-run of a file, and
// grouping claimed fixes for finalising: neighbours share a group.
#include <gmock/gmock.h>

#include <thread>

#include "buffers/source_cache.h"
#include "dumps/files_report.h"
#include "platform/platform.h"
#include "results/claim_groups.h"
#include "results/claims.h"
#include "support/temp_dir.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using ::testing::HasSubstr;

class Claims : public ::testing::Test {
 protected:
  /// A claimed run result with one record per file name, each with
  /// `actions` actions of `replacements` replacements.
  RunResult Run(const std::vector<std::string>& files, int actions = 1, size_t replacements = 1) {
    RunResult result;
    for (const auto& file : files) {
      qfix record;
      record.filename = file;
      record.spanMap = spanMap_;
      for (int i = 0; i < actions; ++i)
        record.actions.push_back({"fix", {replacements, {"new", {0, 1}, {2, 3}}}, {}, 0});
      result.qfixes.push_back(record);
    }
    CacheView view(cache_);
    store_.ClaimReplacements(result, view);
    return result;
  }
  static int32_t Token(const RunResult& result, size_t record, size_t action = 0) {
    return result.qfixes.at(record).actions.at(action).claimToken;
  }
  std::optional<ClaimedFix> Find(const RunResult& result, size_t record) const {
    return store_.Find(static_cast<uint32_t>(Token(result, record)));
  }
  static std::string ReportLine(const std::string& file, const std::string& tokens) {
    return " * " + FileKeyOf(file) + ": " + tokens + "\n";
  }

  zotest::TempDir dir_;
  SourceCache cache_;
  ClaimStore store_;
  std::shared_ptr<SpanMapFunction> spanMap_ = std::make_shared<SpanMapFunction>(
      [](uint32_t offset, uint32_t length) { return std::make_pair(0, ZoSpan{offset, length}); });
};

// A claim keeps what is needed to apply the fix. The engine's offsets count
// the byte order mark: it finalises against the text with the mark.
TEST_F(Claims, TokensStartAtOneNeverRepeatAndKeepWhatTheFixNeeds) {
  const auto file = dir_.Write("K.c", "\xEF\xBB\xBFint k;").string();
  const auto first = Run({file}, 2, 0);
  EXPECT_EQ(std::make_pair(Token(first, 0, 0), Token(first, 0, 1)), std::make_pair(1, 2));
  EXPECT_TRUE(Find(first, 0)->replacements.empty());
  const std::string text = store_.Report().second;
  EXPECT_THAT(text, ::testing::StartsWith("\nClaimReplacements tokens:\n"));
  EXPECT_THAT(text, HasSubstr(ReportLine(file, "1, 2")));
  const auto second = Run({file});
  EXPECT_EQ(Token(second, 0), 3);
  const auto claim = Find(second, 0).value();
  EXPECT_EQ(
      std::tie(claim.spanMap, claim.replacements, *claim.utf8Text, claim.fileKey),
      std::make_tuple(spanMap_, std::vector<EngineReplacement>{{"new", 3, 2}}, "\xEF\xBB\xBFint k;", FileKeyOf(file)));
}

// Another letter case names the same file only where the file system folds
// case; without the text nothing is claimed but earlier claims go.
TEST_F(Claims, ARerunWithdrawsTheFilesClaimsInTheLetterCasesThatNameIt) {
  const auto lower = dir_.Write("same.c", "int s;").string();
  const auto upper = dir_.Write("SAME.c", "int s;").string();
  const auto untouched = dir_.Write("other.c", "int o;").string();
  const auto first = Run({lower, untouched});
  const auto second = Run({upper});
  EXPECT_EQ(Find(first, 0).has_value(), !Platform::FileNamesFoldCase());
  EXPECT_TRUE(Find(second, 0));
  EXPECT_TRUE(Find(first, 1));  // not reported again
  EXPECT_THAT(store_.Report().second, HasSubstr(ReportLine(upper, std::to_string(Token(second, 0)))));
  std::filesystem::remove(untouched);
  cache_.Clear();
  EXPECT_EQ(Token(Run({untouched}), 0), 0);
  EXPECT_FALSE(Find(first, 1));
  EXPECT_THAT(store_.Report().second, HasSubstr(ReportLine(untouched, "none")));
}

// Claims, lookups, fills and reports from several threads at once: for the
// ThreadSanitizer build (races, and the cache and claim locks never nesting
// the wrong way).
TEST_F(Claims, ClaimingLookingUpAndReportingRunConcurrently) {
  const std::vector<std::string> files = {dir_.Write("c1.c", "int a;").string(),
                                          dir_.Write("c2.c", "int caf\xE9_;").string()};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&, t] {
      CacheView view(cache_);
      for (int round = 0; round < 60; ++round) {
        const std::string& file = files[(round + t) % files.size()];
        switch ((round + t) % 3) {
          case 0: Find(Run({file}), 0); break;
          case 1: EXPECT_THAT(FilesReport(view, store_), HasSubstr("*** Files ***\n")); break;
          default: view.GetFile(file, file, round % 2 ? FileWanted::anyLoadable : FileWanted::converted);
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
}

/// The texts of the groups' replacements, a group's after a '|'.
std::string Grouped(const std::vector<ClaimedFix>& claims) {
  std::string texts;
  for (const auto& group : GroupedByNeighbourhood(claims)) {
    texts += "|";
    for (const auto& replacement : group.replacements) texts += replacement.text;
    EXPECT_EQ(group.fileKey, "key");
  }
  return texts;
}

TEST(GroupedByNeighbourhood, JoinsFixesOnTheSameOrNeighbouringLinesInTextOrder) {
  // Lines start at offsets 0, 10, 20, 30, 40 and 50.
  const auto text =
      std::make_shared<const std::string>("line 0...\nline 1...\nline 2...\nline 3...\nline 4...\nline 5...\n");
  const auto claim = [&](std::vector<EngineReplacement> replacements) {
    return ClaimedFix{nullptr, std::move(replacements), text, "key"};
  };
  const ClaimedFix line4 = claim({{"a", 1, 41}}), line0 = claim({{"b", 2, 1}, {"c", 0, 5}}),
                   line1 = claim({{"d", 3, 12}}), line4again = claim({{"e", 0, 44}}),
                   lines2to3 = claim({{"f", 12, 25}}), line5 = claim({{"g", 1, 58}});
  // A chain of neighbours is one group: by first line, fixes of one line in their order.
  EXPECT_EQ(Grouped({line4, line0, line1, line4again, lines2to3, line5}), "|bcdfaeg");
  EXPECT_EQ(Grouped({line0, line4, line5}), "|bc|ag");
  EXPECT_EQ(Grouped({}), "");
}

TEST(GroupedByNeighbourhood, ALongLineOfFixesIsSplitOnlyAtStatementEndsOfLargeGroups) {
  // Sizes of the groups of `count` one-replacement fixes on one line, each followed by `between`.
  auto sizes = [](int count, const std::string& between) {
    auto text = std::make_shared<std::string>();
    std::vector<ClaimedFix> claims;
    for (int i = 0; i < count; ++i) {
      claims.push_back(ClaimedFix{nullptr, {{"nullptr", 1, static_cast<uint32_t>(text->size())}}, text, "key"});
      *text += "0" + between;
    }
    std::vector<size_t> result;
    for (const ClaimedFix& group : GroupedByNeighbourhood(claims)) result.push_back(group.replacements.size());
    return result;
  };
  EXPECT_EQ(sizes(32, "; "), std::vector<size_t>{32});
  EXPECT_EQ(sizes(70, "; "), (std::vector<size_t>{32, 32, 6}));
  EXPECT_EQ(sizes(70, "} "), (std::vector<size_t>{32, 32, 6}));
  EXPECT_EQ(sizes(70, ", "), std::vector<size_t>{70});  // one initialiser list: one change
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
