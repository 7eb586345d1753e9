// Skip and skip-all directives of a cached file, and the suppression test.
#include <gtest/gtest.h>

#include <stdexcept>

#include "buffers/source_cache.h"
#include "results/directives.h"
#include "support/temp_dir.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Rules = std::vector<SkipRule>;

class Directives : public ::testing::Test {
 protected:
  /// The parsed directives of a file holding `text`.
  std::shared_ptr<const FileDirectives> Parse(const std::string& text) {
    const auto path = dir_.Write("f" + std::to_string(files_++) + ".c", text).string();
    record_ = view_.GetFile(path, path, FileWanted::anyLoadable);
    return GetDirectives(*record_);
  }

  zotest::TempDir dir_;
  SourceCache cache_;
  CacheView view_{cache_};
  int files_ = 0;
  std::shared_ptr<clfile> record_;
};

TEST_F(Directives, CountsSignsAndCheckListsGiveTheirRules) {
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
    const auto parsed = Parse(text);
    EXPECT_EQ(parsed->rules, rules) << text;
    EXPECT_FALSE(parsed->skipAll) << text;
  }
  // A colon followed by no list: the skip-all form without a list.
  for (const char* text : {"a;\n// zoCI:skipall\n", "// zoCI:skipall: everything\n"}) {
    EXPECT_TRUE(Parse(text)->skipAll);
    EXPECT_TRUE(Parse(text)->rules.empty());
  }
  // Runs pin the main file's skip-all; a listed skip-all before a plain one is left here.
  EXPECT_TRUE(HasSkipAllDirective("// zoCI:skipall:a\n// zoCI:skipall\n"));
}

TEST_F(Directives, CountsBeyondTheirTypeFailEveryTime) {
  try {
    Parse("x; // zoCI:skip+4294967296\n");
    ADD_FAILURE() << "no error";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(), "stoul argument out of range");
  }
  // Nothing was kept: the next request fails the same way.
  EXPECT_THROW(GetDirectives(*record_), std::out_of_range);
}

TEST_F(Directives, ParsedOnceAndKeptInTheRecordButNoTextMeansNoneAndNothingKept) {
  const auto first = Parse("x; // zoCI:skip\n");
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

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
