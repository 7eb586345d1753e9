// Sixty-four bytes at a time: bit masks of the bytes that a whole-file scan
// (encoding detection, mapper building) must look at, and widening of plain
// ASCII to UTF-16. Bit j of a mask stands for byte j of the block.
//
// Two implementations keep one contract: `Scalar` (plain loops, always built)
// and `Sse2` (where the compiler targets SSE2, as every build of the product
// does). The unqualified names are the fastest one this build has; tests run
// both against each other.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfern::ZoCodeInspections::Native::ByteBlocks {

inline constexpr size_t kBlockSize = 64;

/// What a mapper build needs to know of a block.
struct BlockMasks {
  bool anyHigh = false;  ///< some byte is 0x80 or above
  uint64_t cr = 0;
  uint64_t lf = 0;
};

namespace Scalar {

namespace detail {
template <typename Test>
uint64_t Mask(const unsigned char* p, Test test) {
  uint64_t mask = 0;
  for (size_t j = 0; j < kBlockSize; ++j) mask |= uint64_t{test(p[j])} << j;
  return mask;
}
}  // namespace detail

inline uint64_t MaskOfEither(const unsigned char* p, unsigned char a, unsigned char b) {
  return detail::Mask(p, [&](unsigned char c) { return c == a || c == b; });
}

inline uint64_t MaskOf(const unsigned char* p, unsigned char a) { return MaskOfEither(p, a, a); }

inline uint64_t MaskOfHigh(const unsigned char* p, bool withNul) {
  return detail::Mask(p, [&](unsigned char c) { return c >= 0x80 || (withNul && c == 0); });
}

inline bool HasHigh(const unsigned char* p, bool withNul) { return MaskOfHigh(p, withNul) != 0; }

inline BlockMasks WidenAndMask(const unsigned char* p, char16_t* out) {
  for (size_t j = 0; j < kBlockSize; ++j) out[j] = p[j];
  return {MaskOfHigh(p, /*withNul=*/false) != 0, MaskOf(p, '\r'), MaskOf(p, '\n')};
}

}  // namespace Scalar

#if defined(__SSE2__)

namespace Sse2 {

namespace detail {
inline __m128i Load(const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
/// Joins the 16-bit lane masks of four comparisons into one 64-bit mask.
template <typename Compare>
uint64_t Mask(const unsigned char* p, Compare compare) {
  uint64_t mask = 0;
  for (int part = 0; part < 4; ++part) {
    const auto bits = static_cast<uint32_t>(_mm_movemask_epi8(compare(Load(p + 16 * part))));
    mask |= uint64_t{bits} << (16 * part);
  }
  return mask;
}
}  // namespace detail

/// Bytes equal to `a` or `b`.
inline uint64_t MaskOfEither(const unsigned char* p, unsigned char a, unsigned char b) {
  const __m128i va = _mm_set1_epi8(static_cast<char>(a));
  const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
  return detail::Mask(p, [&](__m128i v) { return _mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)); });
}

/// Bytes equal to `a`.
inline uint64_t MaskOf(const unsigned char* p, unsigned char a) { return MaskOfEither(p, a, a); }

/// Bytes of 0x80 or above, and NULs when `withNul`.
inline uint64_t MaskOfHigh(const unsigned char* p, bool withNul) {
  const __m128i zero = _mm_setzero_si128();
  return detail::Mask(p, [&](__m128i v) { return withNul ? _mm_or_si128(v, _mm_cmpeq_epi8(v, zero)) : v; });
}

/// Whether any byte is 0x80 or above, or a NUL when `withNul`.
inline bool HasHigh(const unsigned char* p, bool withNul) {
  const __m128i zero = _mm_setzero_si128();
  __m128i any = zero;
  for (int part = 0; part < 4; ++part) {
    const __m128i v = detail::Load(p + 16 * part);
    any = _mm_or_si128(any, withNul ? _mm_or_si128(v, _mm_cmpeq_epi8(v, zero)) : v);
  }
  return _mm_movemask_epi8(any) != 0;
}

/// Writes the 64 bytes at `p` as 64 UTF-16 units and returns what a mapper
/// build needs of them. The CR mask is made only for blocks that hold a CR.
inline BlockMasks WidenAndMask(const unsigned char* p, char16_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  __m128i v[4];
  __m128i high = zero;
  __m128i anyCr = zero;
  BlockMasks masks;
  for (int part = 0; part < 4; ++part) {
    v[part] = detail::Load(p + 16 * part);
    auto* target = reinterpret_cast<__m128i*>(out + 16 * part);
    _mm_storeu_si128(target, _mm_unpacklo_epi8(v[part], zero));
    _mm_storeu_si128(target + 1, _mm_unpackhi_epi8(v[part], zero));
    high = _mm_or_si128(high, v[part]);
    anyCr = _mm_or_si128(anyCr, _mm_cmpeq_epi8(v[part], cr));
    const auto lfBits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v[part], lf)));
    masks.lf |= uint64_t{lfBits} << (16 * part);
  }
  masks.anyHigh = _mm_movemask_epi8(high) != 0;
  if (_mm_movemask_epi8(anyCr) != 0) {
    for (int part = 0; part < 4; ++part) {
      const auto crBits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v[part], cr)));
      masks.cr |= uint64_t{crBits} << (16 * part);
    }
  }
  return masks;
}

}  // namespace Sse2

namespace Best = Sse2;
#else
namespace Best = Scalar;
#endif

using Best::HasHigh;
using Best::MaskOf;
using Best::MaskOfEither;
using Best::MaskOfHigh;
using Best::WidenAndMask;

/// Index of the lowest set bit of a non-zero mask.
inline size_t Lowest(uint64_t mask) { return static_cast<size_t>(std::countr_zero(mask)); }

}  // namespace Quillfern::ZoCodeInspections::Native::ByteBlocks
