// The comparison's own view of text: code points, their UTF-8 and UTF-16
// forms, and every byte form a source file can take on disk. Written apart
// from the inspection library on purpose, so that the two cannot share a
// mistake.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace difftest {

/// The byte forms of one text that inspected files are written in.
enum class Form { utf8, utf8Bom, utf16le, utf16leBom, utf16be, utf16beBom, cp1252 };

/// Every form, in a fixed order.
const std::vector<Form>& AllForms();

/// Short name of a form, usable in file names ("utf16le-bom").
std::string FormName(Form form);

/// Code points of well-formed UTF-8 (nullopt when it is not).
std::optional<std::u32string> DecodeUtf8(std::string_view bytes);

std::string EncodeUtf8(std::u32string_view text);

/// The text in `form`; nullopt when the form cannot hold it (code page 1252
/// lacks the character, or its bytes would read as UTF-8).
std::optional<std::string> Encode(std::u32string_view text, Form form);

/// The text of a file written in `form`; nullopt when the bytes do not decode.
std::optional<std::u32string> Decode(std::string_view bytes, Form form);

/// UTF-16 code units of the UTF-8 text before `byteOffset`, or nullopt when
/// the offset lies past the end or inside a character.
std::optional<size_t> Utf16Offset(std::string_view utf8, size_t byteOffset);

}  // namespace difftest
