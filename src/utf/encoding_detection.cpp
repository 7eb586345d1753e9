// The encoding detector. Source files are detected on every load, so each
// step skips whole blocks of bytes that cannot change its answer and looks at
// single bytes only where they can.
#include <bit>
#include <optional>

#include "utf/encoding_detection.h"

#include "utf/byte_blocks.h"

namespace Quillfern::ZoCodeInspections::Native {

const char* EncodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::None: return "None";
    case Encoding::ANSI: return "ANSI";
    case Encoding::ASCII: return "ASCII";
    case Encoding::UTF8_BOM: return "UTF8_BOM";
    case Encoding::UTF8_NOBOM: return "UTF8_NOBOM";
    case Encoding::UTF16_LE_BOM: return "UTF16_LE_BOM";
    case Encoding::UTF16_LE_NOBOM: return "UTF16_LE_NOBOM";
    case Encoding::UTF16_BE_BOM: return "UTF16_BE_BOM";
    case Encoding::UTF16_BE_NOBOM: return "UTF16_BE_NOBOM";
  }
  return "???";
}

uint32_t BomLength(Encoding encoding) {
  switch (encoding) {
    case Encoding::UTF8_BOM: return 3;
    case Encoding::UTF16_LE_BOM:
    case Encoding::UTF16_BE_BOM: return 2;
    default: return 0;
  }
}

namespace {

using namespace ByteBlocks;

/// Mask bits of the bytes at even offsets of a block.
constexpr uint64_t kEvenBytes = 0x5555555555555555ull;

/// Index of the first byte at or after `i` that is not plain ASCII (0x01-0x7F,
/// or 0x00-0x7F when NULs are accepted), or of the last few bytes that do not
/// fill a block.
size_t SkipPlainAscii(const unsigned char* p, size_t i, size_t n, bool rejectNul) {
  while (i + kBlockSize <= n && !HasHigh(p + i, rejectNul)) i += kBlockSize;
  if (i + kBlockSize > n) return i;
  return i + Lowest(MaskOfHigh(p + i, rejectNul));
}

enum class Utf8Scan { notUtf8, asciiOnly, utf8 };

/// Continuation bytes a UTF-8 lead byte announces; -1 for a byte that cannot
/// lead a sequence.
int ContinuationsOf(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

/// Checks only lead ranges and continuation bytes; a sequence cut off by the
/// end of the buffer is accepted.
Utf8Scan ScanUtf8(const unsigned char* p, size_t n, bool rejectNul) {
  bool onlyAscii = true;
  size_t i = 0;
  while ((i = SkipPlainAscii(p, i, n, rejectNul)) < n) {
    const unsigned char lead = p[i++];
    if (lead < 0x80) {
      if (lead == 0 && rejectNul) return Utf8Scan::notUtf8;
      continue;
    }
    const int continuations = ContinuationsOf(lead);
    if (continuations < 0) return Utf8Scan::notUtf8;
    for (int k = 0; k < continuations && i < n; ++k, ++i) {
      if ((p[i] & 0xC0) != 0x80) return Utf8Scan::notUtf8;
      onlyAscii = false;
    }
  }
  return onlyAscii ? Utf8Scan::asciiOnly : Utf8Scan::utf8;
}

bool IsLineBreakByte(unsigned char b) { return b == 0x0A || b == 0x0D; }

/// UTF-16 line breaks (CR or LF next to a NUL) at even offsets; none when
/// there are none, or when both byte orders occur.
std::optional<Encoding> Utf16ByLineBreaks(const unsigned char* p, size_t n) {
  size_t littleEndian = 0;
  size_t bigEndian = 0;
  size_t i = 0;
  while (i + 1 < n) {
    const size_t blockEnd = i + kBlockSize;
    if (blockEnd <= n && MaskOfEither(p + i, '\r', '\n') == 0) {
      i = blockEnd;
      continue;
    }
    for (; i + 1 < n && i < blockEnd; i += 2) {
      if (p[i] == 0 && IsLineBreakByte(p[i + 1])) ++bigEndian;
      if (IsLineBreakByte(p[i]) && p[i + 1] == 0) ++littleEndian;
      if (littleEndian > 0 && bigEndian > 0) return std::nullopt;
    }
  }
  if (littleEndian > 0) return Encoding::UTF16_LE_NOBOM;
  if (bigEndian > 0) return Encoding::UTF16_BE_NOBOM;
  return std::nullopt;
}

struct NulCounts {
  size_t even = 0;
  size_t odd = 0;
};

NulCounts CountNuls(const unsigned char* p, size_t n) {
  NulCounts counts;
  size_t i = 0;
  for (; i + kBlockSize <= n; i += kBlockSize) {
    const uint64_t zeros = MaskOf(p + i, 0);
    counts.even += static_cast<size_t>(std::popcount(zeros & kEvenBytes));
    counts.odd += static_cast<size_t>(std::popcount(zeros & ~kEvenBytes));
  }
  for (; i < n; ++i) {
    if (p[i] == 0) ++(i % 2 == 0 ? counts.even : counts.odd);
  }
  return counts;
}

std::optional<Encoding> BomEncoding(const unsigned char* p, size_t n) {
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return Encoding::UTF16_LE_BOM;
  if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) return Encoding::UTF16_BE_BOM;
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) return Encoding::UTF8_BOM;
  return std::nullopt;
}

}  // namespace

Encoding EncodingDetector::Detect(const char* bytes, size_t size) const {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  if (auto bom = BomEncoding(p, size)) return *bom;

  switch (ScanUtf8(p, size, nullSuggestsBinary)) {
    case Utf8Scan::asciiOnly: return Encoding::ASCII;
    case Utf8Scan::utf8: return Encoding::UTF8_NOBOM;
    case Utf8Scan::notUtf8: break;
  }

  const NulCounts nuls = CountNuls(p, size);
  const double evenRatio = 2.0 * static_cast<double>(nuls.even) / static_cast<double>(size);
  const double oddRatio = 2.0 * static_cast<double>(nuls.odd) / static_cast<double>(size);
  const double unexpected = utf16UnexpectedNullPercent / 100.0;
  const double expected = utf16ExpectedNullPercent / 100.0;

  if (size >= 2) {
    // Line breaks decide only where NULs are common on their side: a stray
    // NUL next to a line break of 8-bit text makes no UTF-16.
    const std::optional<Encoding> utf16 = Utf16ByLineBreaks(p, size);
    if (utf16 == Encoding::UTF16_LE_NOBOM && oddRatio > unexpected) return *utf16;
    if (utf16 == Encoding::UTF16_BE_NOBOM && evenRatio > unexpected) return *utf16;
  }

  if (evenRatio < unexpected && oddRatio > expected) return Encoding::UTF16_LE_NOBOM;
  if (oddRatio < unexpected && evenRatio > expected) return Encoding::UTF16_BE_NOBOM;

  const bool hasNul = nuls.even + nuls.odd > 0;
  return hasNul && nullSuggestsBinary ? Encoding::None : Encoding::ANSI;
}

Encoding DetectEncoding(const char* bytes, size_t size) { return EncodingDetector{}.Detect(bytes, size); }

}  // namespace Quillfern::ZoCodeInspections::Native
