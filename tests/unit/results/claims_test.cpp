// Claiming fixes under tokens and withdrawing them on a re-run of a file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "buffers/source_cache.h"
#include "dumps/files_report.h"
#include "platform/platform.h"
#include "results/claims.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using ::testing::HasSubstr;

namespace {

class Claims : public ::testing::Test {
 protected:
  /// A claimed run result with one record per file name, each with
  /// `actions` actions (without replacements when `replacements` is false).
  Native::RunResult Run(const std::vector<std::string>& files, int actions = 1, size_t replacements = 1) {
    Native::RunResult result;
    for (const auto& file : files) {
      Native::qfix record;
      record.filename = file;
      record.spanMap = spanMap_;
      for (int i = 0; i < actions; ++i) {
        record.actions.push_back({"fix", std::vector<Native::repl>(replacements, {"new", {0, 1}, {2, 3}}), {}, 0});
      }
      result.qfixes.push_back(record);
    }
    Native::CacheView view(cache_);
    store_.ClaimReplacements(result, view);
    return result;
  }

  std::optional<Native::ClaimedFix> Find(const Native::RunResult& result, size_t record, size_t action = 0) const {
    return store_.Find(static_cast<uint32_t>(Token(result, record, action)));
  }
  static int32_t Token(const Native::RunResult& result, size_t record, size_t action = 0) {
    return result.qfixes.at(record).actions.at(action).claimToken;
  }
  /// The report's line for a file.
  std::string ReportLine(const std::string& file, const std::string& tokens) const {
    return " * " + Native::FileKeyOf(file) + ": " + tokens + "\n";
  }

  zotest::TempDir dir_;
  Native::SourceCache cache_;
  Native::ClaimStore store_;
  std::shared_ptr<Native::SpanMapFunction> spanMap_ = std::make_shared<Native::SpanMapFunction>(
      [](uint32_t offset, uint32_t length) { return std::make_pair(0, Native::ZoSpan{offset, length}); });
};

TEST_F(Claims, TokensStartAtOneNeverRepeatAndAreReportedInOrder) {
  const auto file = dir_.Write("t.c", "int t;").string();
  const auto first = Run({file}, 2, 0);
  EXPECT_EQ(Token(first, 0, 0), 1);
  EXPECT_EQ(Token(first, 0, 1), 2);
  EXPECT_TRUE(Find(first, 0)->replacements.empty());
  const std::string text = store_.Report().second;
  EXPECT_THAT(text, ::testing::StartsWith("\nClaimReplacements tokens:\n"));
  EXPECT_THAT(text, HasSubstr(ReportLine(file, "1, 2")));
  EXPECT_EQ(Token(Run({file}), 0), 3);
}

TEST_F(Claims, AClaimKeepsWhatIsNeededToApplyTheFix) {
  const auto file = dir_.Write("K.c", "\xEF\xBB\xBFint k;").string();
  const auto claim = Find(Run({file}), 0);
  ASSERT_TRUE(claim);
  EXPECT_EQ(claim->spanMap, spanMap_);
  EXPECT_THAT(claim->replacements, ::testing::ElementsAre(Native::EngineReplacement{"new", 3, 2}));
  ASSERT_NE(claim->utf8Text, nullptr);
  // The engine's offsets count the byte order mark: it finalises against
  // the text with the mark.
  EXPECT_EQ(*claim->utf8Text, "\xEF\xBB\xBFint k;");
  EXPECT_EQ(claim->fileKey, Native::FileKeyOf(file));
}

// Another letter case names the same file only where the file system folds
// case.
TEST_F(Claims, ARerunWithdrawsTheFilesClaimsInTheLetterCasesThatNameIt) {
  const auto lower = dir_.Write("same.c", "int s;").string();
  const auto upper = dir_.Write("SAME.c", "int s;").string();
  const auto untouched = dir_.Write("other.c", "int o;").string();
  const auto first = Run({lower, untouched});
  const auto second = Run({upper});
  EXPECT_EQ(Find(first, 0).has_value(), !Native::Platform::FileNamesFoldCase());
  EXPECT_TRUE(Find(second, 0));
  EXPECT_TRUE(Find(first, 1));  // not reported again
  EXPECT_THAT(store_.Report().second, HasSubstr(ReportLine(upper, std::to_string(Token(second, 0)))));
}

TEST_F(Claims, WithoutTheTextNothingIsClaimedButEarlierClaimsGo) {
  const auto file = dir_.Write("gone.c", "int g;").string();
  const auto first = Run({file}, 2);
  std::filesystem::remove(file);
  cache_.Clear();
  EXPECT_EQ(Token(Run({file}), 0), 0);
  EXPECT_FALSE(Find(first, 0));
  EXPECT_THAT(store_.Report().second, HasSubstr(ReportLine(file, "none")));
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
      Native::CacheView view(cache_);
      for (int round = 0; round < 60; ++round) {
        const std::string& file = files[(round + t) % files.size()];
        switch ((round + t) % 3) {
          case 0: Find(Run({file}), 0); break;
          case 1: EXPECT_THAT(Native::FilesReport(view, store_), HasSubstr("*** Files ***\n")); break;
          default:
            view.GetFile(file, file, round % 2 == 0 ? Native::FileWanted::anyLoadable : Native::FileWanted::converted);
            break;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
}

}  // namespace
