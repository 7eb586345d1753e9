// The text encodings of source files and the detector that tells them apart
// from a file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Quillfern::ZoCodeInspections::Native {

/// Text encodings the detector tells apart. Values are stable (0 to 8).
enum class Encoding : int32_t {
  None = 0,  ///< not text (binary), or not determined
  ANSI = 1,
  ASCII = 2,  ///< only bytes 0x01-0x7F, or empty
  UTF8_BOM = 3,
  UTF8_NOBOM = 4,
  UTF16_LE_BOM = 5,
  UTF16_LE_NOBOM = 6,
  UTF16_BE_BOM = 7,
  UTF16_BE_NOBOM = 8,
};

/// The value's name ("UTF8_BOM", ...), or "???" for a value outside 0..8.
const char* EncodingName(Encoding encoding);

/// Bytes of the byte order mark an encoding implies: 3, 2 or 0.
uint32_t BomLength(Encoding encoding);

/// The detector's tuning. The system always uses these values.
struct EncodingDetector {
  /// A NUL byte fails the UTF-8 test and, at the end, means binary.
  bool nullSuggestsBinary = true;
  /// Share of NULs (percent) on one side of the units that suggests UTF-16.
  int32_t utf16ExpectedNullPercent = 70;
  /// Share of NULs (percent) on the other side that still allows UTF-16.
  int32_t utf16UnexpectedNullPercent = 10;

  Encoding Detect(const char* bytes, size_t size) const;
};

/// Classifies a buffer: BOM, then UTF-8, then UTF-16 line breaks (where
/// more than 10 % of the units have a NUL on that side), then the
/// distribution of NUL bytes, else ANSI (or None when it holds NUL bytes).
Encoding DetectEncoding(const char* bytes, size_t size);

/// Whether an encoding is big-endian UTF-16.
inline bool IsBigEndian(Encoding encoding) {
  return encoding == Encoding::UTF16_BE_BOM || encoding == Encoding::UTF16_BE_NOBOM;
}

}  // namespace Quillfern::ZoCodeInspections::Native
