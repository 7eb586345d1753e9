// Decoding and encoding of source files (see text_codec.h). Code pages go
// through iconv, which knows them as "CP<number>".
#include "text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace zoci {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

/// Length of the UTF-8 sequence led by `lead`, 0 when it cannot lead one.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

/// What decoding makes of a surrogate code point (three bytes of its own).
enum class SurrogateHalves { refused, takenAsUnits };

/// UTF-8 `bytes` decoded into `out`; false on anything that is no UTF-8
/// (a surrogate half is taken as the UTF-16 unit it names when `halves` says so).
bool DecodeUtf8(std::string_view bytes, std::u16string& out, SurrogateHalves halves) {
  out.clear();
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = SequenceLength(lead);
    if (length == 0 || i + length > bytes.size()) return false;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = cp << 6 | (next & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (halves == SurrogateHalves::refused && cp >= 0xD800 && cp <= 0xDFFF)) return false;
    AppendCodePoint(out, cp);
    i += length;
  }
  return true;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

/// Whether every surrogate half of `text` is one of a pair.
bool PairsWhole(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      return false;
    }
  }
  return true;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
  }
  return out;
}

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
  }
  return out;
}

/// BOM-less UTF-16, as the library tells it: line breaks (CR or LF next to a
/// zero byte) at even offsets in one byte order only, where more than a tenth
/// of the units have a zero byte on that side; else many zero bytes on one
/// side of the code units and hardly any on the other.
std::optional<bool> LooksLikeBomlessUtf16(std::string_view bytes) {
  if (bytes.size() < 4 || bytes.size() % 2 != 0) return std::nullopt;
  size_t evenZeros = 0, oddZeros = 0, littleBreaks = 0, bigBreaks = 0;
  const auto isBreak = [](char c) { return c == '\n' || c == '\r'; };
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 2 == 0) {
      littleBreaks += isBreak(bytes[i]) && bytes[i + 1] == 0;
      bigBreaks += bytes[i] == 0 && isBreak(bytes[i + 1]);
    }
    if (bytes[i] != 0) continue;
    ++(i % 2 ? oddZeros : evenZeros);
  }
  const size_t units = bytes.size() / 2;
  if (littleBreaks > 0 && bigBreaks == 0 && oddZeros * 10 > units) return false;
  if (bigBreaks > 0 && littleBreaks == 0 && evenZeros * 10 > units) return true;
  if (oddZeros * 10 >= units * 7 && evenZeros * 10 <= units) return false;  // little-endian
  if (evenZeros * 10 >= units * 7 && oddZeros * 10 <= units) return true;   // big-endian
  return std::nullopt;
}

class Iconv {
 public:
  Iconv(const std::string& to, const std::string& from) : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~Iconv() {
    if (valid()) iconv_close(handle_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  /// Converts all of `in`; false (with the failing input offset) on an
  /// unconvertible or invalid sequence.
  bool Convert(std::string_view in, std::string& out, size_t& failedAt) {
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buffer[4096];
    while (left > 0) {
      char* dst = buffer;
      size_t room = sizeof buffer;
      const size_t rc = iconv(handle_, &src, &left, &dst, &room);
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
        failedAt = in.size() - left;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // ready for the rest
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t handle_;
};

std::string CodePageName(uint32_t codePage) { return "CP" + std::to_string(codePage); }

/// Windows-1252 leaves five bytes undefined; Windows (and the library) reads
/// each as the C1 control character of the same value, and writes it back so.
bool IsUndefinedIn1252(uint32_t codePage, uint32_t value) {
  return codePage == 1252 && (value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D);
}

/// Converts `in` in pieces of `unitSize` bytes; at a piece iconv refuses,
/// `substitute` (piece's value, output) may append what it stands for and
/// answer true, else the conversion ends with the piece's offset in `failedAt`.
template <class Substitute>
bool ConvertAll(Iconv& converter, std::string_view in, size_t unitSize, std::string& out, size_t& failedAt,
                Substitute substitute) {
  size_t done = 0;
  while (!converter.Convert(in.substr(done), out, failedAt)) {
    failedAt += done;
    uint32_t value = 0;
    for (size_t i = 0; i < unitSize && failedAt + i < in.size(); ++i) {
      value |= static_cast<uint32_t>(static_cast<unsigned char>(in[failedAt + i])) << (8 * i);
    }
    if (!substitute(value, out)) return false;
    done = failedAt + unitSize;
  }
  return true;
}

std::optional<std::u16string> DecodeAnsi(std::string_view bytes, uint32_t codePage, std::string& error) {
  Iconv converter("UTF-16LE", CodePageName(codePage));
  if (!converter.valid()) {
    error = "code page " + std::to_string(codePage) + " is not available";
    return std::nullopt;
  }
  std::string utf16;
  size_t failedAt = 0;
  const auto undefined = [codePage](uint32_t byte, std::string& out) {
    if (!IsUndefinedIn1252(codePage, byte)) return false;
    out.append({static_cast<char>(byte), '\0'});
    return true;
  };
  if (!ConvertAll(converter, bytes, 1, utf16, failedAt, undefined)) {
    error = "byte " + std::to_string(failedAt) + " is not valid in code page " + std::to_string(codePage);
    return std::nullopt;
  }
  return DecodeUtf16(utf16, false);
}

std::optional<std::string> EncodeAnsi(std::u16string_view text, uint32_t codePage, std::string& error) {
  Iconv converter(CodePageName(codePage), "UTF-16LE");
  if (!converter.valid()) {
    error = "code page " + std::to_string(codePage) + " is not available";
    return std::nullopt;
  }
  std::string out;
  size_t failedAt = 0;
  const auto undefined = [codePage](uint32_t unit, std::string& bytes) {
    if (!IsUndefinedIn1252(codePage, unit)) return false;
    bytes.push_back(static_cast<char>(unit));
    return true;
  };
  if (!ConvertAll(converter, EncodeUtf16(text, false), 2, out, failedAt, undefined)) {
    error = "a character at UTF-16 offset " + std::to_string(failedAt / 2) + " cannot be written in code page " +
            std::to_string(codePage);
    return std::nullopt;
  }
  return out;
}

HostText Make(std::u16string text, FileEncoding encoding, bool bom, uint32_t codePage = 0) {
  return HostText{std::move(text), encoding, bom, codePage, {}};
}

/// UTF-16 `bytes` (after any BOM) decoded, keeping an odd last byte aside.
HostText MakeUtf16(std::string_view bytes, bool bigEndian, bool bom) {
  HostText text = Make(DecodeUtf16(bytes, bigEndian), bigEndian ? FileEncoding::utf16be : FileEncoding::utf16le, bom);
  if (bytes.size() % 2 != 0) text.oddByte = std::string(bytes.substr(bytes.size() - 1));
  return text;
}

}  // namespace

std::string EncodingName(const HostText& text) {
  switch (text.encoding) {
    case FileEncoding::utf8: return text.bom ? "UTF-8 BOM" : "UTF-8";
    case FileEncoding::utf16le: return text.bom ? "UTF-16LE BOM" : "UTF-16LE";
    case FileEncoding::utf16be: return text.bom ? "UTF-16BE BOM" : "UTF-16BE";
    case FileEncoding::ansi: return CodePageName(text.codePage);
  }
  return "?";
}

bool FromUtf8(std::string_view bytes, std::u16string& out) { return DecodeUtf8(bytes, out, SurrogateHalves::refused); }

std::optional<std::string> EngineTextAsUtf8(std::string_view bytes) {
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::string(bytes);
  }
  std::u16string text;
  if (!DecodeUtf8(bytes, text, SurrogateHalves::takenAsUnits) || !PairsWhole(text)) return std::nullopt;
  return ToUtf8(text);
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | cp >> 6));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | cp >> 12));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | cp >> 18));
      out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::optional<HostText> DecodeHostText(std::string_view bytes, const DecodeRules& rules, std::string& error) {
  if (StartsWith(bytes, kUtf8Bom)) {
    std::u16string text;
    if (FromUtf8(bytes.substr(kUtf8Bom.size()), text)) return Make(std::move(text), FileEncoding::utf8, true);
    error = "the file starts with a UTF-8 byte order mark but is not valid UTF-8";
    return std::nullopt;
  }
  if (StartsWith(bytes, kUtf16LeBom)) return MakeUtf16(bytes.substr(2), false, true);
  if (StartsWith(bytes, kUtf16BeBom)) return MakeUtf16(bytes.substr(2), true, true);
  if (const auto bigEndian = LooksLikeBomlessUtf16(bytes)) return MakeUtf16(bytes, *bigEndian, false);
  std::u16string text;
  const bool validUtf8 = FromUtf8(bytes, text);
  const bool ascii = validUtf8 && text.size() == bytes.size();
  if (validUtf8 && (ascii || rules.bomlessIsUtf8 || rules.autoDetectUtf8)) {
    return Make(std::move(text), FileEncoding::utf8, false);
  }
  if (rules.bomlessIsUtf8) {
    error = "the file is not valid UTF-8 (BOM-less files are read as UTF-8)";
    return std::nullopt;
  }
  auto ansi = DecodeAnsi(bytes, rules.ansiCodePage, error);
  if (!ansi) return std::nullopt;
  return Make(std::move(*ansi), FileEncoding::ansi, false, rules.ansiCodePage);
}

std::optional<std::string> EncodeHostText(std::u16string_view text, const HostText& like, std::string& error) {
  switch (like.encoding) {
    case FileEncoding::utf8: return std::string(like.bom ? kUtf8Bom : "") + ToUtf8(text);
    case FileEncoding::utf16le:
      return std::string(like.bom ? kUtf16LeBom : "") + EncodeUtf16(text, false) + like.oddByte;
    case FileEncoding::utf16be:
      return std::string(like.bom ? kUtf16BeBom : "") + EncodeUtf16(text, true) + like.oddByte;
    case FileEncoding::ansi: return EncodeAnsi(text, like.codePage, error);
  }
  error = "unknown encoding";
  return std::nullopt;
}

}  // namespace zoci
