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
using zoe::StoredPreamble;

TEST(PreambleStoreCapacity, ComesFromTheEnvironmentWithinBounds) {
  const struct {
    const char* value;
    size_t capacity;
  } cases[] = {{nullptr, 8}, {"3", 3}, {" 4 ", 4}, {"0", 0}, {"many", 8}, {"-2", 8}, {"100000", 256}};
  for (const auto& c : cases) {
    EXPECT_EQ(zoe::PreambleCapacityFromEnvironment(c.value), c.capacity) << (c.value ? c.value : "(unset)");
  }
}

/// A kept entry told apart by its region.
std::shared_ptr<const StoredPreamble> Entry(const std::string& region) {
  auto entry = std::make_shared<StoredPreamble>();
  entry->region = region;
  return entry;
}

/// The files whose entries `store` still finds, of `files`.
std::vector<std::string> Kept(PreambleStore& store, const std::vector<std::string>& files) {
  std::vector<std::string> kept;
  for (const std::string& file : files) {
    if (store.Find(file)) kept.push_back(file);
  }
  return kept;
}

TEST(PreambleStoreEntries, TheLeastRecentlyUsedGoesFirstAndAHeldOneOutlivesIt) {
  PreambleStore store(2);
  store.Keep("a.cpp", Entry("a"));
  store.Keep("b.cpp", Entry("b"));
  const auto held = store.Find("a.cpp");  // a is now the most recently used
  store.Keep("c.cpp", Entry("c"));
  EXPECT_EQ(Kept(store, {"a.cpp", "b.cpp", "c.cpp"}), (std::vector<std::string>{"a.cpp", "c.cpp"}));

  store.Keep("a.cpp", Entry("a2"));  // replaces, does not add
  EXPECT_EQ(store.Find("a.cpp")->region, "a2");
  EXPECT_EQ(held->region, "a") << "a run keeps the preamble it holds";
  store.Keep("d.cpp", Entry("d"));
  EXPECT_EQ(Kept(store, {"a.cpp", "c.cpp", "d.cpp"}), (std::vector<std::string>{"a.cpp", "d.cpp"}));

  store.Forget("a.cpp");
  EXPECT_EQ(Kept(store, {"a.cpp", "d.cpp"}), (std::vector<std::string>{"d.cpp"}));
  // Entries that only remember an unusable preamble hold no bytes.
  EXPECT_EQ(store.Use().preambles, 0u);
  EXPECT_EQ(store.Use().bytes, 0u);
}

TEST(PreambleStoreEntries, ASizeOfZeroKeepsNothing) {
  PreambleStore store(0);
  store.Keep("a.cpp", Entry("a"));
  EXPECT_EQ(store.Find("a.cpp"), nullptr);
}

}  // namespace
}  // namespace zotest
