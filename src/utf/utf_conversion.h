// Conversions between UTF-8 and UTF-16 that the source cache, the mappers and
// the platform layer share: whole texts, single units and raw UTF-16 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Quillfern::ZoCodeInspections::Native {

/// Encodes every UTF-16 unit on its own (surrogate halves become three bytes
/// each), so the result has one UTF-8 sequence per unit.
std::string Utf16ToUtf8(const char16_t* units, size_t count);

/// Appends every UTF-16 unit on its own, as Utf16ToUtf8 encodes it.
void AppendUnitsAsUtf8(std::string& out, std::u16string_view units);

/// Reads bytes as UTF-16 units of the given byte order; an odd last byte is
/// dropped.
std::u16string Utf16Units(const char* bytes, size_t size, bool bigEndian);

/// Reads bytes as little-endian UTF-16 units; an odd last byte is dropped.
inline std::u16string Utf16LeUnits(const char* bytes, size_t size) {
  return Utf16Units(bytes, size, /*bigEndian=*/false);
}

/// Decodes UTF-8 into UTF-16; three-byte encoded surrogate halves (as
/// Utf16ToUtf8 makes them) decode to their unit. Throws std::range_error
/// "bad conversion" on malformed input.
std::u16string Utf8ToUtf16(const char* bytes, size_t count);

/// Encodes UTF-16 as standard UTF-8 (surrogate pairs joined into one
/// four-byte sequence; a lone half keeps its three-byte form).
std::string Utf16ToUtf8Joined(std::u16string_view units);

/// Appends one code point as its standard UTF-8 sequence (1 to 4 bytes).
void AppendUtf8(std::string& out, uint32_t codePoint);

}  // namespace Quillfern::ZoCodeInspections::Native
