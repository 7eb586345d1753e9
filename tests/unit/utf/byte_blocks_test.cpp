// The block scanners: both implementations pass the same known answers, so
// both keep one contract (any build without SSE2 runs the plain loops; the
// byte-block fuzzer compares them on any bytes).
#include "utf/byte_blocks.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <utility>

namespace Native = Quillfern::ZoCodeInspections::Native;
namespace Blocks = Native::ByteBlocks;

namespace {

using Block = std::array<unsigned char, Blocks::kBlockSize>;

/// One implementation of the contract, named for a typed test.
struct ScalarPath {
  static uint64_t MaskOf(const unsigned char* p, unsigned char a) { return Blocks::Scalar::MaskOf(p, a); }
  static uint64_t MaskOfEither(const unsigned char* p, unsigned char a, unsigned char b) {
    return Blocks::Scalar::MaskOfEither(p, a, b);
  }
  static uint64_t MaskOfHigh(const unsigned char* p, bool withNul) { return Blocks::Scalar::MaskOfHigh(p, withNul); }
  static bool HasHigh(const unsigned char* p, bool withNul) { return Blocks::Scalar::HasHigh(p, withNul); }
  static Blocks::BlockMasks WidenAndMask(const unsigned char* p, char16_t* out) {
    return Blocks::Scalar::WidenAndMask(p, out);
  }
};

#if defined(__SSE2__)
struct Sse2Path {
  static uint64_t MaskOf(const unsigned char* p, unsigned char a) { return Blocks::Sse2::MaskOf(p, a); }
  static uint64_t MaskOfEither(const unsigned char* p, unsigned char a, unsigned char b) {
    return Blocks::Sse2::MaskOfEither(p, a, b);
  }
  static uint64_t MaskOfHigh(const unsigned char* p, bool withNul) { return Blocks::Sse2::MaskOfHigh(p, withNul); }
  static bool HasHigh(const unsigned char* p, bool withNul) { return Blocks::Sse2::HasHigh(p, withNul); }
  static Blocks::BlockMasks WidenAndMask(const unsigned char* p, char16_t* out) {
    return Blocks::Sse2::WidenAndMask(p, out);
  }
};
using Paths = ::testing::Types<ScalarPath, Sse2Path>;
#else
using Paths = ::testing::Types<ScalarPath>;
#endif

template <typename Path>
class EachPath : public ::testing::Test {};
TYPED_TEST_SUITE(EachPath, Paths);

/// A block of 'x' with the given bytes at the given places.
Block BlockWith(std::initializer_list<std::pair<size_t, unsigned char>> bytes) {
  Block block;
  block.fill('x');
  for (const auto& [at, byte] : bytes) block[at] = byte;
  return block;
}

uint64_t Bits(std::initializer_list<size_t> places) {
  uint64_t mask = 0;
  for (size_t at : places) mask |= uint64_t{1} << at;
  return mask;
}

TYPED_TEST(EachPath, FindsEachByteAtItsBit) {
  const Block block = BlockWith({{3, '\r'}, {4, '\n'}, {17, '\n'}, {40, 0xC3}, {63, 0}});
  const unsigned char* p = block.data();
  EXPECT_EQ(TypeParam::MaskOf(p, '\n'), Bits({4, 17}));
  EXPECT_EQ(TypeParam::MaskOfEither(p, '\r', '\n'), Bits({3, 4, 17}));
  EXPECT_EQ(TypeParam::MaskOfEither(p, 'x', 0), ~Bits({3, 4, 17, 40}));
  EXPECT_EQ(TypeParam::MaskOfHigh(p, false), Bits({40}));
  EXPECT_EQ(TypeParam::MaskOfHigh(p, true), Bits({40, 63}));
  EXPECT_EQ(Blocks::Lowest(TypeParam::MaskOf(p, '\n')), 4u);
}

TYPED_TEST(EachPath, TellsWhetherABlockHasHighBytesOrNuls) {
  struct Case {
    Block block;
    bool high;
    bool highOrNul;
  };
  const Case cases[] = {
      {BlockWith({}), false, false},           {BlockWith({{0, 0x80}}), true, true},
      {BlockWith({{63, 0xFF}}), true, true},   {BlockWith({{31, 0}}), false, true},
      {BlockWith({{48, 0x7F}}), false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TypeParam::HasHigh(c.block.data(), false), c.high);
    EXPECT_EQ(TypeParam::HasHigh(c.block.data(), true), c.highOrNul);
  }
}

TYPED_TEST(EachPath, WidensEveryByteAndMasksLineBreaks) {
  const Block ascii = BlockWith({{0, '\n'}, {63, '\r'}});
  const Block high = BlockWith({{3, '\r'}, {4, '\n'}, {40, 0xC3}});
  struct Case {
    const Block* block;
    bool anyHigh;
    uint64_t cr;
    uint64_t lf;
  };
  for (const Case& c : {Case{&ascii, false, Bits({63}), Bits({0})}, Case{&high, true, Bits({3}), Bits({4})}}) {
    std::array<char16_t, Blocks::kBlockSize> wide{};
    const Blocks::BlockMasks masks = TypeParam::WidenAndMask(c.block->data(), wide.data());
    EXPECT_EQ(masks.anyHigh, c.anyHigh);
    EXPECT_EQ(masks.cr, c.cr);
    EXPECT_EQ(masks.lf, c.lf);
    for (size_t j = 0; j < Blocks::kBlockSize; ++j) EXPECT_EQ(wide[j], char16_t{(*c.block)[j]}) << "byte " << j;
  }
}

}  // namespace
