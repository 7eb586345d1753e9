// Fixes finalised together: neighbours share a group, distant fixes do not.
#include "results/claim_groups.h"

#include <gtest/gtest.h>

#include <memory>

namespace Native = Quillfern::ZoCodeInspections::Native;

namespace {

TEST(GroupedByNeighbourhood, JoinsFixesOnTheSameOrNeighbouringLinesInTextOrder) {
  // Lines start at offsets 0, 10, 20, 30, 40 and 50.
  const auto text =
      std::make_shared<const std::string>("line 0...\nline 1...\nline 2...\nline 3...\nline 4...\nline 5...\n");
  const auto claim = [&](std::vector<Native::EngineReplacement> replacements) {
    return Native::ClaimedFix{nullptr, std::move(replacements), text, "key"};
  };
  const std::vector<Native::ClaimedFix> claims = {
      claim({{"a", 1, 41}}),                // line 4
      claim({{"b", 2, 1}, {"c", 0, 5}}),    // line 0
      claim({{"d", 3, 12}}),                // line 1: beside line 0
      claim({{"e", 0, 44}}),                // line 4 again
      claim({{"f", 12, 25}}),               // lines 2 to 3: beside line 1 and line 4
      claim({{"g", 1, 58}}),                // line 5: beside line 4
  };
  const std::vector<Native::ClaimedFix> groups = Native::GroupedByNeighbourhood(claims);
  ASSERT_EQ(groups.size(), 1u);  // a chain of neighbours is one group
  std::string order;
  for (const auto& replacement : groups[0].replacements) order += replacement.text;
  EXPECT_EQ(order, "bcdfaeg");  // by first line, fixes of one line in their order
  EXPECT_EQ(groups[0].fileKey, "key");

  const std::vector<Native::ClaimedFix> apart = Native::GroupedByNeighbourhood({claims[1], claims[0], claims[5]});
  ASSERT_EQ(apart.size(), 2u);  // line 0, then lines 4 and 5
  EXPECT_EQ(apart[0].replacements.size(), 2u);
  EXPECT_EQ(apart[1].replacements.size(), 2u);
  EXPECT_TRUE(Native::GroupedByNeighbourhood({}).empty());
}

}  // namespace

namespace {

/// Groups of `count` one-replacement fixes on one line, each fix followed by
/// `between`; the sizes of the groups.
std::vector<size_t> GroupSizesOnOneLine(int count, const std::string& between) {
  auto text = std::make_shared<std::string>();
  std::vector<Native::ClaimedFix> claims;
  for (int i = 0; i < count; ++i) {
    claims.push_back(
        Native::ClaimedFix{nullptr, {{"nullptr", 1, static_cast<uint32_t>(text->size())}}, nullptr, "key"});
    *text += "0" + between;
  }
  const std::shared_ptr<const std::string> shared = text;
  for (Native::ClaimedFix& claim : claims) claim.utf8Text = shared;
  std::vector<size_t> sizes;
  for (const Native::ClaimedFix& group : Native::GroupedByNeighbourhood(claims))
    sizes.push_back(group.replacements.size());
  return sizes;
}

TEST(GroupedByNeighbourhood, ALongLineOfFixesIsSplitOnlyAtStatementEndsOfLargeGroups) {
  EXPECT_EQ(GroupSizesOnOneLine(32, "; "), std::vector<size_t>{32});
  EXPECT_EQ(GroupSizesOnOneLine(70, "; "), (std::vector<size_t>{32, 32, 6}));
  EXPECT_EQ(GroupSizesOnOneLine(70, "} "), (std::vector<size_t>{32, 32, 6}));
  EXPECT_EQ(GroupSizesOnOneLine(70, ", "), std::vector<size_t>{70});  // one initialiser list: one change
}

}  // namespace
