// How zoci reads and writes source files: the bytes of a file decoded into the
// UTF-16 text an editor would show, and that text encoded back into the
// file's own encoding.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zoci {

/// The on-disk encodings zoci recognises.
enum class FileEncoding { utf8, utf16le, utf16be, ansi };

/// How a file's bytes are decoded when it has no byte order mark.
struct DecodeRules {
  bool bomlessIsUtf8 = false;   ///< every BOM-less file is UTF-8
  bool autoDetectUtf8 = true;   ///< valid UTF-8 without BOM counts as UTF-8
  uint32_t ansiCodePage = 1252; ///< code page of the remaining 8-bit files
};

/// A decoded file: its text without the byte order mark, and how to write it back.
struct HostText {
  std::u16string text;
  FileEncoding encoding = FileEncoding::utf8;
  bool bom = false;
  uint32_t codePage = 0;  ///< for ansi only
  std::string oddByte;    ///< UTF-16 only: a last byte that makes no code unit, written back as it was
};

/// Display name such as "UTF-8 BOM", "UTF-16LE" or "CP1252".
std::string EncodingName(const HostText& text);

/// Decodes `bytes`; on failure `error` says why.
std::optional<HostText> DecodeHostText(std::string_view bytes, const DecodeRules& rules, std::string& error);

/// Encodes `text` in the encoding (and BOM) of `like`; on failure (a character
/// the code page cannot hold) `error` says which.
std::optional<std::string> EncodeHostText(std::u16string_view text, const HostText& like, std::string& error);

/// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);

/// UTF-8 to UTF-16; false when `bytes` is not valid UTF-8.
bool FromUtf8(std::string_view bytes, std::u16string& out);

/// A text of the engine (a message, a replacement text) as valid UTF-8. The
/// engine's texts are spelled as it read the source, and the library converts
/// a UTF-16 text unit by unit: a character beyond U+FFFF comes as two
/// three-byte halves, joined here. None when the text is not UTF-8 even so: a
/// surrogate half without its other half, or a byte of a code page the engine
/// read unconverted.
std::optional<std::string> EngineTextAsUtf8(std::string_view bytes);

}  // namespace zoci
