// Any bytes, in blocks at every offset: the SSE2 scanners give the same masks
// and the same widened text as the plain loops. The first two bytes choose
// the bytes to search for.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "utf/byte_blocks.h"

namespace Blocks = Quillfern::ZoCodeInspections::Native::ByteBlocks;

namespace {

#if defined(__SSE2__)
void CheckBlock(const unsigned char* p, unsigned char a, unsigned char b) {
  for (bool withNul : {false, true}) {
    FUZZ_CHECK(Blocks::Sse2::MaskOfHigh(p, withNul) == Blocks::Scalar::MaskOfHigh(p, withNul));
    FUZZ_CHECK(Blocks::Sse2::HasHigh(p, withNul) == Blocks::Scalar::HasHigh(p, withNul));
  }
  FUZZ_CHECK(Blocks::Sse2::MaskOf(p, a) == Blocks::Scalar::MaskOf(p, a));
  FUZZ_CHECK(Blocks::Sse2::MaskOfEither(p, a, b) == Blocks::Scalar::MaskOfEither(p, a, b));
  std::array<char16_t, Blocks::kBlockSize> fast{};
  std::array<char16_t, Blocks::kBlockSize> plain{};
  const Blocks::BlockMasks fastMasks = Blocks::Sse2::WidenAndMask(p, fast.data());
  const Blocks::BlockMasks plainMasks = Blocks::Scalar::WidenAndMask(p, plain.data());
  FUZZ_CHECK(fast == plain);
  FUZZ_CHECK(fastMasks.anyHigh == plainMasks.anyHigh);
  FUZZ_CHECK(fastMasks.cr == plainMasks.cr);
  FUZZ_CHECK(fastMasks.lf == plainMasks.lf);
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#if defined(__SSE2__)
  if (size < 2) return 0;
  const unsigned char a = data[0];
  const unsigned char b = data[1];
  // The input repeated to a whole block when it is shorter, so that every
  // input reaches the scanners; each offset tests another alignment.
  std::array<unsigned char, 2 * Blocks::kBlockSize> padded{};
  const unsigned char* bytes = data;
  if (size < padded.size()) {
    for (size_t i = 0; i < padded.size(); ++i) padded[i] = data[i % size];
    bytes = padded.data();
    size = padded.size();
  }
  for (size_t offset = 0; offset + Blocks::kBlockSize <= size; ++offset) CheckBlock(bytes + offset, a, b);
#else
  (void)data;
  (void)size;
#endif
  return 0;
}
