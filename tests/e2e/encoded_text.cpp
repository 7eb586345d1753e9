#include "encoded_text.h"

#include "buffers/encodings.h"

namespace zotest {

using Quillfern::ZoCodeInspections::Native::Utf8ToUtf16;

std::string Utf16LeWithBom(const std::string& utf8) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : Utf8ToUtf16(utf8.data(), utf8.size())) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string Utf16Be(const std::string& utf8, bool withBom) {
  std::string bytes = withBom ? "\xFE\xFF" : "";
  for (char16_t unit : Utf8ToUtf16(utf8.data(), utf8.size())) {
    bytes += static_cast<char>(unit >> 8);
    bytes += static_cast<char>(unit & 0xFF);
  }
  return bytes;
}

std::string Windows1252(const std::string& utf8) {
  std::string bytes;
  for (char16_t unit : Utf8ToUtf16(utf8.data(), utf8.size())) {
    if (unit == u'\u20AC') bytes += '\x80';
    else if (unit == u'\u2014') bytes += '\x97';
    else bytes += static_cast<char>(unit);  // the Latin-1 range keeps its byte
  }
  return bytes;
}

}  // namespace zotest
