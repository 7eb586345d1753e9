// The block scanners: the SSE2 implementation against the plain loops on the
// same blocks, so both keep one contract (the product's 32-bit build and any
// build without SSE2 run the plain loops).
#include "utf/byte_blocks.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace Native = Quillfern::ZoCodeInspections::Native;
namespace Blocks = Native::ByteBlocks;

namespace {

using Block = std::array<unsigned char, Blocks::kBlockSize>;

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
    for (auto& b : block) b = pick(random) == 0 ? kind[pick(random) % 5] : static_cast<unsigned char>(byte(random) & 0x7F);
    blocks.push_back(block);
  }
  return blocks;
}

TEST(ByteBlocks, ScalarFindsEachByteAtItsBit) {
  Block block;
  block.fill('x');
  block[3] = '\r';
  block[4] = '\n';
  block[40] = 0xC3;
  block[63] = 0;
  EXPECT_EQ(Blocks::Scalar::MaskOf(block.data(), '\n'), uint64_t{1} << 4);
  EXPECT_EQ(Blocks::Scalar::MaskOfEither(block.data(), '\r', '\n'), uint64_t{3} << 3);
  EXPECT_EQ(Blocks::Scalar::MaskOfHigh(block.data(), false), uint64_t{1} << 40);
  EXPECT_EQ(Blocks::Scalar::MaskOfHigh(block.data(), true), (uint64_t{1} << 40) | (uint64_t{1} << 63));
  EXPECT_TRUE(Blocks::Scalar::HasHigh(block.data(), false));
  std::array<char16_t, Blocks::kBlockSize> wide{};
  const Blocks::BlockMasks masks = Blocks::Scalar::WidenAndMask(block.data(), wide.data());
  EXPECT_TRUE(masks.anyHigh);
  EXPECT_EQ(masks.cr, uint64_t{1} << 3);
  EXPECT_EQ(masks.lf, uint64_t{1} << 4);
  EXPECT_EQ(wide[40], u'\u00C3');
  EXPECT_EQ(Blocks::Lowest(masks.lf), 4u);
}

#if defined(__SSE2__)
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
