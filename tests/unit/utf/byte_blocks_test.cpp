// The block scanners: both implementations pass the same known answers, and
// the SSE2 one agrees with the plain loops on many blocks, so both keep one
// contract (any build without SSE2 runs the plain loops).
#include "utf/byte_blocks.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <random>
#include <utility>
#include <vector>

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

#if defined(__SSE2__)
/// Blocks that reach every branch: all ASCII, line breaks at both ends, high
/// bytes and NULs alone and mixed, and random bytes from a fixed seed.
std::vector<Block> SampleBlocks() {
  std::vector<Block> blocks;
  Block plain;
  plain.fill('a');
  blocks.push_back(plain);
  for (unsigned char special : {0x0D, 0x0A, 0x00, 0x80, 0xFF, 0x7F}) {
    for (size_t at : {size_t{0}, size_t{15}, size_t{16}, size_t{47}, size_t{63}}) {
      Block block = plain;
      block[at] = special;
      blocks.push_back(block);
    }
  }
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> pick(0, 5);
  const unsigned char kind[] = {'\r', '\n', 0, 0x80, 0xE2};
  for (int n = 0; n < 200; ++n) {
    Block block;
    // Mostly ASCII with some special bytes, as source text is.
    for (auto& b : block)
      b = pick(random) == 0 ? kind[pick(random) % 5] : static_cast<unsigned char>(byte(random) & 0x7F);
    blocks.push_back(block);
  }
  return blocks;
}

TEST(ByteBlocks, Sse2AgreesWithScalarOnEveryBlock) {
  for (const Block& block : SampleBlocks()) {
    const unsigned char* p = block.data();
    for (bool withNul : {false, true}) {
      EXPECT_EQ(Blocks::Sse2::MaskOfHigh(p, withNul), Blocks::Scalar::MaskOfHigh(p, withNul));
      EXPECT_EQ(Blocks::Sse2::HasHigh(p, withNul), Blocks::Scalar::HasHigh(p, withNul));
    }
    EXPECT_EQ(Blocks::Sse2::MaskOf(p, '\n'), Blocks::Scalar::MaskOf(p, '\n'));
    EXPECT_EQ(Blocks::Sse2::MaskOfEither(p, '\r', 0), Blocks::Scalar::MaskOfEither(p, '\r', 0));
    std::array<char16_t, Blocks::kBlockSize> fast{};
    std::array<char16_t, Blocks::kBlockSize> plain{};
    const Blocks::BlockMasks a = Blocks::Sse2::WidenAndMask(p, fast.data());
    const Blocks::BlockMasks b = Blocks::Scalar::WidenAndMask(p, plain.data());
    EXPECT_EQ(fast, plain);
    EXPECT_EQ(a.anyHigh, b.anyHigh);
    EXPECT_EQ(a.lf, b.lf);
    EXPECT_EQ(a.cr, b.cr);
  }
}
#endif

}  // namespace
