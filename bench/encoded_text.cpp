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

}  // namespace zotest
