#include "text_forms.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <tuple>

namespace difftest {
namespace {

static_assert(std::endian::native == std::endian::little, "code points are read as UTF-32LE");

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

/// The Unicode forms go through the C library's converter, which refuses
/// malformed input (surrogates in UTF-8, lone halves in UTF-16, cut-off
/// sequences) and never adds or drops a byte order mark.
std::optional<std::string> Convert(std::string_view bytes, const char* from, const char* to) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("no converter for ") + from);
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  char* next = out.data();
  size_t inLeft = bytes.size(), outLeft = out.size();
  const bool converted = iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<size_t>(-1);
  iconv_close(converter);
  if (!converted) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

std::optional<std::u32string> DecodeFrom(std::string_view bytes, const char* from) {
  const auto units = Convert(bytes, from, "UTF-32LE");
  if (!units) return std::nullopt;
  std::u32string text(units->size() / 4, U'\0');
  std::memcpy(text.data(), units->data(), units->size());
  return text;
}

std::string EncodeTo(std::u32string_view text, const char* to) {
  return Convert({reinterpret_cast<const char*>(text.data()), text.size() * 4}, "UTF-32LE", to).value();
}

/// Each Unicode form's name, how the C library's converter names its encoding, and whether it starts with a BOM.
constexpr std::tuple<const char*, const char*, bool> kUnicodeForms[] = {
    {"utf8", "UTF-8", false},          {"utf8-bom", "UTF-8", true},    {"utf16le", "UTF-16LE", false},
    {"utf16le-bom", "UTF-16LE", true}, {"utf16be", "UTF-16BE", false}, {"utf16be-bom", "UTF-16BE", true}};

}  // namespace

const std::vector<Form>& AllForms() {
  static const std::vector<Form> forms = {Form::utf8,    Form::utf8Bom,    Form::utf16le, Form::utf16leBom,
                                          Form::utf16be, Form::utf16beBom, Form::cp1252};
  return forms;
}

std::string FormName(Form form) {
  return form == Form::cp1252 ? "cp1252" : std::get<0>(kUnicodeForms[static_cast<size_t>(form)]);
}

std::optional<std::u32string> DecodeUtf8(std::string_view bytes) { return DecodeFrom(bytes, "UTF-8"); }

std::string EncodeUtf8(std::u32string_view text) { return EncodeTo(text, "UTF-8"); }

std::optional<std::string> Encode(std::u32string_view text, Form form) {
  if (form != Form::cp1252) {
    const auto& [name, charset, bom] = kUnicodeForms[static_cast<size_t>(form)];
    return EncodeTo((bom ? U"\uFEFF" : U"") + std::u32string(text), charset);
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
  if (form != Form::cp1252) {
    const auto& [name, charset, bom] = kUnicodeForms[static_cast<size_t>(form)];
    auto text = DecodeFrom(bytes, charset);
    if (!bom || !text) return text;
    return !text->empty() && text->front() == 0xFEFF ? std::optional(text->substr(1)) : std::nullopt;
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
  size_t units = text->size();
  for (char32_t c : *text) units += c > 0xFFFF;
  return units;
}

}  // namespace difftest
