// The preamble store on its own: its size from the environment, and which
// files it keeps as runs find and keep their preambles.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "preamble_store.h"

namespace zotest {
namespace {

using zoe::PreambleStore;

TEST(PreambleStoreCapacity, ComesFromTheEnvironmentWithinBounds) {
  const std::vector<std::pair<const char*, size_t>> cases = {{nullptr, 8}, {"3", 3},  {" 4 ", 4},     {"0", 0},
                                                             {"many", 8},  {"-2", 8}, {"100000", 256}};
  for (const auto& [value, capacity] : cases)
    EXPECT_EQ(zoe::PreambleCapacityFromEnvironment(value), capacity) << (value ? value : "(unset)");
}

/// A kept entry told apart by its region.
std::shared_ptr<const zoe::StoredPreamble> Entry(const std::string& region) {
  auto entry = std::make_shared<zoe::StoredPreamble>();
  entry->region = region;
  return entry;
}

/// The files of a.cpp, b.cpp, c.cpp and d.cpp whose entries `store` still finds.
std::string Kept(PreambleStore& store) {
  std::string kept;
  for (const char* file : {"a.cpp", "b.cpp", "c.cpp", "d.cpp"}) kept += store.Find(file) ? file[0] : '-';
  return kept;
}

TEST(PreambleStoreEntries, TheLeastRecentlyUsedGoesFirstAndAHeldOneOutlivesIt) {
  PreambleStore store(2);
  store.Keep("a.cpp", Entry("a"));
  store.Keep("b.cpp", Entry("b"));
  const auto held = store.Find("a.cpp");  // a is now the most recently used
  store.Keep("c.cpp", Entry("c"));
  EXPECT_EQ(Kept(store), "a-c-");
  store.Keep("a.cpp", Entry("a2"));  // replaces, does not add
  EXPECT_EQ(store.Find("a.cpp")->region, "a2");
  EXPECT_EQ(held->region, "a") << "a run keeps the preamble it holds";
  store.Keep("d.cpp", Entry("d"));
  EXPECT_EQ(Kept(store), "a--d");
  store.Forget("a.cpp");
  EXPECT_EQ(Kept(store), "---d");
  // Entries that only remember an unusable preamble hold no bytes.
  EXPECT_EQ(store.Use().preambles, 0u);
  EXPECT_EQ(store.Use().bytes, 0u);
  PreambleStore none(0);  // a size of zero keeps nothing
  none.Keep("a.cpp", Entry("a"));
  EXPECT_EQ(Kept(none), "----");
}

}  // namespace
}  // namespace zotest
