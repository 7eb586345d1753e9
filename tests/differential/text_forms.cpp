#include "text_forms.h"

#include <array>

namespace difftest {
namespace {

/// Code points of the bytes 0x80-0x9F in code page 1252 (0 where undefined);
/// 0xA0-0xFF are the same as the code points.
constexpr std::array<char32_t, 32> kCp1252High = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<unsigned char> Cp1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == c && c != 0) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

std::u16string Utf16Units(std::u32string_view text) {
  std::u16string units;
  for (char32_t c : text) {
    if (c < 0x10000) {
      units.push_back(static_cast<char16_t>(c));
    } else {
      units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return units;
}

std::string Utf16Bytes(std::u32string_view text, bool bigEndian, bool bom) {
  std::u16string units = Utf16Units(text);
  if (bom) units.insert(units.begin(), u'\xFEFF');
  std::string bytes;
  for (char16_t unit : units) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

std::optional<std::u32string> DecodeUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::u32string text;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    const auto byte = [&](size_t at) { return static_cast<char32_t>(static_cast<unsigned char>(bytes[at])); };
    const char32_t unit = bigEndian ? (byte(i) << 8 | byte(i + 1)) : (byte(i + 1) << 8 | byte(i));
    const bool lead = unit >= 0xD800 && unit < 0xDC00, trail = unit >= 0xDC00 && unit < 0xE000;
    if (trail) return std::nullopt;
    if (!lead) {
      text.push_back(unit);
      continue;
    }
    if (i + 3 >= bytes.size()) return std::nullopt;
    i += 2;
    const char32_t next = bigEndian ? (byte(i) << 8 | byte(i + 1)) : (byte(i + 1) << 8 | byte(i));
    if (next < 0xDC00 || next >= 0xE000) return std::nullopt;
    text.push_back(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
  }
  return text;
}

std::optional<std::u32string> WithoutBom(std::optional<std::u32string> text, bool bom) {
  if (!text || !bom) return text;
  if (text->empty() || text->front() != 0xFEFF) return std::nullopt;
  return text->substr(1);
}

/// Length of the UTF-8 sequence a lead byte starts (0 for a continuation or invalid byte).
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

const std::vector<Form>& AllForms() {
  static const std::vector<Form> forms = {Form::utf8,    Form::utf8Bom,    Form::utf16le, Form::utf16leBom,
                                          Form::utf16be, Form::utf16beBom, Form::cp1252};
  return forms;
}

std::string FormName(Form form) {
  switch (form) {
    case Form::utf8: return "utf8";
    case Form::utf8Bom: return "utf8-bom";
    case Form::utf16le: return "utf16le";
    case Form::utf16leBom: return "utf16le-bom";
    case Form::utf16be: return "utf16be";
    case Form::utf16beBom: return "utf16be-bom";
    case Form::cp1252: return "cp1252";
  }
  return "?";
}

std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
  std::u32string text;
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = SequenceLength(lead);
    if (length == 0 || i + length > bytes.size()) return std::nullopt;
    char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = c << 6 | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return std::nullopt;
    text.push_back(c);
    i += length;
  }
  return text;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string bytes;
  for (char32_t c : text) {
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if (c < 0x800) {
      bytes += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      bytes += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      bytes += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
  }
  return bytes;
}

std::optional<std::string> Encode(std::u32string_view text, Form form) {
  switch (form) {
    case Form::utf8: return EncodeUtf8(text);
    case Form::utf8Bom: return "\xEF\xBB\xBF" + EncodeUtf8(text);
    case Form::utf16le: return Utf16Bytes(text, false, false);
    case Form::utf16leBom: return Utf16Bytes(text, false, true);
    case Form::utf16be: return Utf16Bytes(text, true, false);
    case Form::utf16beBom: return Utf16Bytes(text, true, true);
    case Form::cp1252: break;
  }
  std::string bytes;
  bool nonAscii = false;
  for (char32_t c : text) {
    const auto byte = Cp1252Byte(c);
    if (!byte) return std::nullopt;
    nonAscii = nonAscii || *byte >= 0x80;
    bytes += static_cast<char>(*byte);
  }
  // ASCII-only text is the UTF-8 form again; text that happens to be valid
  // UTF-8 would be read as UTF-8 by any editor that detects it.
  if (!nonAscii || DecodeUtf8(bytes)) return std::nullopt;
  return bytes;
}

std::optional<std::u32string> Decode(std::string_view bytes, Form form) {
  switch (form) {
    case Form::utf8: return DecodeUtf8(bytes);
    case Form::utf8Bom:
      if (bytes.substr(0, 3) != "\xEF\xBB\xBF") return std::nullopt;
      return DecodeUtf8(bytes.substr(3));
    case Form::utf16le: return DecodeUtf16(bytes, false);
    case Form::utf16leBom: return WithoutBom(DecodeUtf16(bytes, false), true);
    case Form::utf16be: return DecodeUtf16(bytes, true);
    case Form::utf16beBom: return WithoutBom(DecodeUtf16(bytes, true), true);
    case Form::cp1252: break;
  }
  std::u32string text;
  for (unsigned char byte : bytes) {
    const char32_t c = byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
    if (byte >= 0x80 && byte < 0xA0 && c == 0) return std::nullopt;
    text.push_back(c);
  }
  return text;
}

std::optional<size_t> Utf16Offset(std::string_view utf8, size_t byteOffset) {
  if (byteOffset > utf8.size()) return std::nullopt;
  const auto text = DecodeUtf8(utf8.substr(0, byteOffset));
  if (!text) return std::nullopt;
  return Utf16Units(*text).size();
}

}  // namespace difftest
