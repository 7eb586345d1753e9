// Values produced on first use.
#include <gtest/gtest.h>

#include <stdexcept>

#include "buffers/lazy.h"

namespace Native = Quillfern::ZoCodeInspections::Native;

namespace {

TEST(Lazy, EmptyGetThrowsItsOwnException) {
  Native::lazy<int> value;
  EXPECT_TRUE(value.empty());
  EXPECT_THROW(value.get(), Native::lazy_empty_exception<int>);
}

TEST(Lazy, ProducerRunsOnceAndIsDropped) {
  int runs = 0;
  Native::lazy<int> value;
  value.set_producer([&] { return ++runs * 10; });
  EXPECT_EQ(value.get(), 10);
  EXPECT_EQ(value.get(), 10);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(value.has_value());
}

TEST(Lazy, FailingProducerStaysForARetry) {
  int runs = 0;
  Native::lazy<int> value;
  value.set_producer([&] {
    if (++runs == 1) throw std::runtime_error("bad conversion");
    return 7;
  });
  EXPECT_THROW(value.get(), std::runtime_error);
  EXPECT_TRUE(value.has_producer());
  EXPECT_EQ(value.get(), 7);
  EXPECT_EQ(runs, 2);
}

TEST(Lazy, ProducedResultReplacesAValueSetMeanwhile) {
  Native::lazy<int> value;
  value.set_producer([&] {
    value.set(1);  // the producer's own lazy changes under it
    return 2;
  });
  EXPECT_EQ(value.get(), 2);
  EXPECT_EQ(value.get(), 2);
}

}  // namespace
