// The small Windows text helpers, with the same semantics on every platform.
#include <cstring>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native::Platform {

namespace {
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

const char* PathFindExtension(const char* path) {
  const char* dot = nullptr;
  const char* p = path;
  for (; *p != '\0'; ++p) {
    if (*p == '.') {
      dot = p;
    } else if (*p == '\\' || *p == ' ') {
      dot = nullptr;  // an extension never spans a separator or a space
    }
  }
  return dot != nullptr ? dot : p;
}

const char* StrStrI(const char* haystack, const char* needle) {
  const size_t needleLength = std::strlen(needle);
  for (const char* h = haystack;; ++h) {
    size_t i = 0;
    while (i < needleLength && h[i] != '\0' && FoldAscii(h[i]) == FoldAscii(needle[i])) ++i;
    if (i == needleLength) return h;
    if (*h == '\0') return nullptr;
  }
}

int StrICmp(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const auto ca = static_cast<unsigned char>(FoldAscii(*a));
    const auto cb = static_cast<unsigned char>(FoldAscii(*b));
    if (ca != cb || ca == 0) return static_cast<int>(ca) - static_cast<int>(cb);
  }
}

std::string AsciiLower(std::string text) {
  for (char& c : text) c = FoldAscii(c);
  return text;
}

}  // namespace Quillfern::ZoCodeInspections::Native::Platform
