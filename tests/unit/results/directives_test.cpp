// Skip and skip-all directives of a cached file, and the suppression test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "buffers/source_cache.h"
#include "results/directives.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::SkipRule;
using ::testing::ElementsAre;

namespace {

class Directives : public ::testing::Test {
 protected:
  /// The parsed directives of a file holding `text`.
  std::shared_ptr<const Native::FileDirectives> Parse(const std::string& text) {
    const auto path = dir_.Write("f" + std::to_string(files_++) + ".c", text).string();
    record_ = view_.GetFile(path, path, Native::FileWanted::anyLoadable);
    return record_ ? Native::GetDirectives(*record_) : nullptr;
  }

  /// The rules of a file holding `text`.
  std::vector<SkipRule> Rules(const std::string& text) {
    const auto parsed = Parse(text);
    return parsed ? parsed->rules : std::vector<SkipRule>{{-1, -1, {"not parsed"}}};
  }

  zotest::TempDir dir_;
  Native::SourceCache cache_;
  Native::CacheView view_{cache_};
  int files_ = 0;
  std::shared_ptr<Native::clfile> record_;
};

TEST_F(Directives, CountsSignsAndCheckListsGiveTheirRules) {
  const std::vector<std::pair<std::string, std::vector<SkipRule>>> cases = {
      // counts include the directive's own line
      {"a;\nb; // zoCI:skip\n", {{1, 1, {}}}},
      {"a;\nb; // zoCI:skip+3\n", {{1, 3, {}}}},
      {"a;\nb;\nc;\nd; // zoCI:skip-3\n", {{1, 3, {}}}},
      {"a;\nb; // zoCI:skip*\n", {{1, 100'000'000, {}}}},
      {"a;\nb; // zoCI:skip-*\n", {{0, 1, {}}}},
      // backward counts stop at the first line
      {"a;\nb;\nc; // zoCI:skip-5\n", {{0, 2, {}}}},
      {"// zoCI:skip-2", {{0, 0, {}}}},
      // zero counts are ignored, loose signs read as plain
      {"x; // zoCI:skip0\n", {}},
      {"x; // zoCI:skip+ later\n", {{0, 0, {}}}},
      // check lists keep their non-empty pieces and end outside their alphabet
      {"x; // zoCI:skip+2:modernize,,bugprone-x,\n", {{0, 1, {"modernize", "bugprone-x"}}}},
      {"x; // zoCI:skip:cert-err58 (why)\n", {{0, 0, {"cert-err58"}}}},
      // anywhere in the text, in any letter case
      {"a;\nconst char* s = \"ZoCi:SkIp+2\";\n", {{1, 2, {}}}},
      {"zoCI:skipzoCI:skip\n\xC3\xA9 zoci:skip", {{0, 0, {}}, {0, 0, {}}, {1, 1, {}}}},
      // huge counts clamp
      {"a;\nx; // zoCI:skip+4294967295\n", {{1, 100'000'000, {}}}},
      {"a;\nx; // zoCI:skip-2147483648\n", {{0, 1, {}}}},
      {"a;\nx; // zoCI:skip+2147483647\n", {{1, 2147483647, {}}}},
  };
  for (const auto& [text, rules] : cases) EXPECT_EQ(Rules(text), rules) << text;
}

TEST_F(Directives, SkipAllMarksTheFileOrCoversEveryLineForItsChecks) {
  const auto all = Parse("a;\n// zoCI:skipall\n");
  ASSERT_NE(all, nullptr);
  EXPECT_TRUE(all->skipAll);
  EXPECT_TRUE(all->rules.empty());

  const auto listed = Parse("a;\n// ZOCI:SKIPALL:readability\n");
  ASSERT_NE(listed, nullptr);
  EXPECT_FALSE(listed->skipAll);
  EXPECT_THAT(listed->rules, ElementsAre(SkipRule{0, 99'999'999, {"readability"}}));

  // A colon followed by no list: the skip-all form without a list.
  EXPECT_TRUE(Parse("// zoCI:skipall: everything\n")->skipAll);
}

TEST_F(Directives, CountsBeyondTheirTypeFailEveryTime) {
  try {
    Parse("x; // zoCI:skip+4294967296\n");
    ADD_FAILURE() << "no error";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(), "stoul argument out of range");
  }
  // Nothing was kept: the next request fails the same way.
  EXPECT_THROW(Native::GetDirectives(*record_), std::out_of_range);
}

TEST_F(Directives, ParsedOnceAndKeptInTheRecordButNoTextMeansNoneAndNothingKept) {
  const auto first = Parse("x; // zoCI:skip\n");
  EXPECT_EQ(Native::GetDirectives(*record_), first);

  Native::clfile record("n.c", "n.c", "n.c", {});
  EXPECT_EQ(Native::GetDirectives(record), nullptr);
  EXPECT_EQ(record.directives, nullptr);
  record.utf8Text.set(std::make_shared<const std::string>("zoCI:skipall"));
  const auto parsed = Native::GetDirectives(record);
  ASSERT_NE(parsed, nullptr);
  EXPECT_TRUE(parsed->skipAll);
}

TEST_F(Directives, AnEditorBufferHasLinesWhateverItsText) {
  // Mostly non-ASCII UTF-16 without line breaks does not look like UTF-16 to
  // the detector; an editor's buffer is UTF-16 all the same.
  std::u16string text(40, u'\u4E2D');
  text += u" zoCI:skip";
  const auto buffer =
      cache_.AddModifiedBuffer("buffer.c", "buffer.c", "buffer.c", std::make_shared<const std::u16string>(text));
  ASSERT_NE(Native::GetRecordMapper(*buffer), nullptr);
  const auto parsed = Native::GetDirectives(*buffer);
  ASSERT_NE(parsed, nullptr);
  EXPECT_FALSE(parsed->skipAll);
  EXPECT_EQ(parsed->rules, (std::vector<SkipRule>{{0, 0, {}}}));
}

TEST(IsSuppressed, FirstRuleCoveringTheLineAndCheckDecides) {
  const std::vector<SkipRule> rules = {{2, 4, {"MODERNIZE", "cert"}}, {10, 10, {}}};
  EXPECT_TRUE(Native::IsSuppressed(rules, 3, "modernize-use-auto"));
  EXPECT_TRUE(Native::IsSuppressed(rules, 2, "cert-err58-cpp"));
  EXPECT_FALSE(Native::IsSuppressed(rules, 3, "bugprone-use-after-move"));
  EXPECT_FALSE(Native::IsSuppressed(rules, 5, "modernize-use-auto"));
  EXPECT_TRUE(Native::IsSuppressed(rules, 10, "anything"));
  EXPECT_FALSE(Native::IsSuppressed(rules, -1, "anything"));
  EXPECT_FALSE(Native::IsSuppressed({}, 0, "anything"));
}

// Runs pin the main file's skip-all and option directives; a listed skip-all
// before a plain one is left here.
TEST(MainFileDirectives, APlainSkipAllAfterAListedOneCounts) {
  EXPECT_TRUE(Native::HasSkipAllDirective("// zoCI:skipall:a\n// zoCI:skipall\n"));
}

}  // namespace
