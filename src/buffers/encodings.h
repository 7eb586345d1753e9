// Encodings of source text: the detector that classifies a file's bytes, the
// per-thread settings and decision table that say whether a file is handed to
// the engine as it is or converted to UTF-8, the UTF-8/UTF-16 conversions the
// cache and the mappers share, and the cache key of a file name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

/// Which files are converted to UTF-8 on the thread that loads them.
struct ConversionSettings {
  /// BOM-less files that are valid UTF-8 count as UTF-8 (else as ANSI).
  bool autoDetectUtf8 = true;
  /// Code page of ANSI files; 0 is the system's ANSI code page.
  uint32_t codePage = 0;
  /// ANSI files are converted; false hands BOM-less files on as UTF-8.
  bool convertAnsi = true;
};

/// The calling thread's settings (defaults on every new thread).
ConversionSettings& ThreadConversionSettings();

/// Whether two settings load files differently: conversion or UTF-8
/// detection differ, or both convert ANSI with different code pages.
bool ConversionSettingsDiffer(const ConversionSettings& a, const ConversionSettings& b);

/// A file's text as the engine is to read it.
struct FileContent {
  /// Length of the BOM that precedes `content` in the file; 0 when converted.
  uint32_t bomLength = 0;
  Encoding encoding = Encoding::None;
  /// `content` was produced by conversion (it is not the file's bytes).
  bool converted = false;
  /// UTF-8 text: converted, or a copy of the bytes after the BOM.
  std::shared_ptr<const std::string> content;
};

/// Detects the encoding of a file's bytes and converts them as the settings
/// say: UTF-16 of either byte order and ANSI text are converted, UTF-8,
/// ASCII and bytes that are no text (NULs) are handed on as they are. Throws
/// std::system_error when the code page cannot be used.
FileContent ConvertFileContent(const char* bytes, size_t size,
                               const ConversionSettings& settings);

/// Encodes every UTF-16 unit on its own (surrogate halves become three bytes
/// each), so the result has one UTF-8 sequence per unit.
std::string Utf16ToUtf8(const char16_t* units, size_t count);

/// Appends every UTF-16 unit on its own, as Utf16ToUtf8 encodes it.
void AppendUnitsAsUtf8(std::string& out, std::u16string_view units);

/// UTF-8 bytes one UTF-16 unit takes when encoded on its own: 1, 2 or 3.
inline uint32_t Utf8LengthOfUnit(char16_t unit) {
  if (unit < 0x80) return 1;
  return unit < 0x800 ? 2 : 3;
}

/// Reads bytes as UTF-16 units of the given byte order; an odd last byte is
/// dropped.
std::u16string Utf16Units(const char* bytes, size_t size, bool bigEndian);

/// Reads bytes as little-endian UTF-16 units; an odd last byte is dropped.
inline std::u16string Utf16LeUnits(const char* bytes, size_t size) { return Utf16Units(bytes, size, false); }

/// Whether an encoding is big-endian UTF-16.
inline bool IsBigEndian(Encoding encoding) {
  return encoding == Encoding::UTF16_BE_BOM || encoding == Encoding::UTF16_BE_NOBOM;
}

/// Decodes UTF-8 into UTF-16; three-byte encoded surrogate halves (as
/// Utf16ToUtf8 makes them) decode to their unit. Throws std::range_error
/// "bad conversion" on malformed input.
std::u16string Utf8ToUtf16(const char* bytes, size_t count);

/// Encodes UTF-16 as standard UTF-8 (surrogate pairs joined into one
/// four-byte sequence; a lone half keeps its three-byte form).
std::string Utf16ToUtf8Joined(std::u16string_view units);

/// The cache key of a UTF-8 file name: the name itself, lower-cased (A-Z
/// only) when asked.
std::string MakeFileKey(std::string_view utf8Name, bool lowerCase);

/// The cache key of a path: letter case is folded only where the file
/// system folds it (Windows), so `Foo.h` and `foo.h` are two files elsewhere.
std::string FileKeyOf(std::string_view utf8Path);

/// The cache key of a UTF-16 file name: the name normalised lexically as a
/// path (the platform's separators, "." removed, ".." resolved), as UTF-8,
/// lower-cased (A-Z only) when asked.
std::string MakeFileKey(std::u16string_view utf16Name, bool lowerCase);

}  // namespace Quillfern::ZoCodeInspections::Native
