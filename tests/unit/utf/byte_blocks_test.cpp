// The block scanners: both implementations pass the same known answers, so
// both keep one contract (any build without SSE2 runs the plain loops; the
// byte-block fuzzer compares them on any bytes).
#include "utf/byte_blocks.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

namespace Quillfern::ZoCodeInspections::Native::ByteBlocks {
namespace {

using Block = std::array<unsigned char, kBlockSize>;

/// One implementation of the contract.
struct Path {
  const char* name;
  uint64_t (*maskOf)(const unsigned char*, unsigned char);
  uint64_t (*maskOfEither)(const unsigned char*, unsigned char, unsigned char);
  uint64_t (*maskOfHigh)(const unsigned char*, bool);
  bool (*hasHigh)(const unsigned char*, bool);
  BlockMasks (*widenAndMask)(const unsigned char*, char16_t*);
};

const Path kPaths[] = {
    {"scalar", Scalar::MaskOf, Scalar::MaskOfEither, Scalar::MaskOfHigh, Scalar::HasHigh, Scalar::WidenAndMask},
#if defined(__SSE2__)
    {"sse2", Sse2::MaskOf, Sse2::MaskOfEither, Sse2::MaskOfHigh, Sse2::HasHigh, Sse2::WidenAndMask},
#endif
};

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

TEST(ByteBlocks, EachPathFindsBytesTellsHighBytesOrNulsAndWidensEveryByte) {
  const Block block = BlockWith({{3, '\r'}, {4, '\n'}, {17, '\n'}, {40, 0xC3}, {63, 0}});
  // A block, whether it has high bytes, high bytes or NULs, its CR and LF masks.
  const std::tuple<Block, bool, bool, uint64_t, uint64_t> cases[] = {
      {BlockWith({}), false, false, 0, 0},
      {BlockWith({{0, 0x80}}), true, true, 0, 0},
      {BlockWith({{63, 0xFF}, {31, 0}}), true, true, 0, 0},
      {BlockWith({{31, 0}, {48, 0x7F}}), false, true, 0, 0},
      {BlockWith({{0, '\n'}, {63, '\r'}}), false, false, Bits({63}), Bits({0})},
      {block, true, true, Bits({3}), Bits({4, 17})}};
  for (const Path& path : kPaths) {
    SCOPED_TRACE(path.name);
    EXPECT_EQ(path.maskOf(block.data(), '\n'), Bits({4, 17}));
    EXPECT_EQ(path.maskOfEither(block.data(), '\r', '\n'), Bits({3, 4, 17}));
    EXPECT_EQ(path.maskOfEither(block.data(), 'x', 0), ~Bits({3, 4, 17, 40}));
    EXPECT_EQ(path.maskOfHigh(block.data(), false), Bits({40}));
    EXPECT_EQ(path.maskOfHigh(block.data(), true), Bits({40, 63}));
    EXPECT_EQ(Lowest(path.maskOf(block.data(), '\n')), 4u);
    for (const auto& [bytes, high, highOrNul, cr, lf] : cases) {
      EXPECT_EQ(path.hasHigh(bytes.data(), false), high);
      EXPECT_EQ(path.hasHigh(bytes.data(), true), highOrNul);
      std::array<char16_t, kBlockSize> wide{};
      const BlockMasks masks = path.widenAndMask(bytes.data(), wide.data());
      EXPECT_EQ(std::make_tuple(masks.anyHigh, masks.cr, masks.lf), std::make_tuple(high, cr, lf));
      EXPECT_EQ(std::u16string(wide.begin(), wide.end()), std::u16string(bytes.begin(), bytes.end()));
    }
  }
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native::ByteBlocks
