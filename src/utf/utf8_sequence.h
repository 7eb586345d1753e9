// How the mappers read one UTF-8 sequence. Building a mapper from UTF-8 and
// walking a mapper's UTF-8 text within a line use the same rule, so a walk
// always steps over exactly the bytes that made each UTF-16 unit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Quillfern::ZoCodeInspections::Native {

/// One sequence as the mappers decode it.
struct Utf8Sequence {
  uint32_t bytes;  ///< bytes consumed: 1 to 4
  uint32_t value;  ///< the decoded value; above 0xFFFF it takes two units

  uint32_t Units() const { return value > 0xFFFF ? 2 : 1; }
};

/// Decodes the sequence at `p` (`left` bytes remain, at least 1). A lead
/// 0xC0-0xDF, 0xE0-0xEF or 0xF0-0xF7 expects 1, 2 or 3 continuation bytes;
/// any other byte of 0x80 or above stands for itself. A sequence cut short
/// by the end or by a byte that is no continuation yields its lead's value
/// bits and consumes the lead alone. No test for overlong forms or
/// surrogate values: a surrogate half encoded on its own is one unit.
inline Utf8Sequence DecodeUtf8Sequence(const unsigned char* p, size_t left) {
  const unsigned char lead = p[0];
  int continuations = 0;
  uint32_t value = lead;
  if (lead >= 0xC0 && lead <= 0xDF) {
    continuations = 1;
    value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    value = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF7) {
    continuations = 3;
    value = lead & 0x07u;
  }
  const uint32_t leadBits = value;
  for (int k = 1; k <= continuations; ++k) {
    if (static_cast<size_t>(k) >= left || (p[k] & 0xC0) != 0x80) return {1, leadBits};
    value = (value << 6) | (p[k] & 0x3Fu);
  }
  return {static_cast<uint32_t>(continuations) + 1, value};
}

}  // namespace Quillfern::ZoCodeInspections::Native
