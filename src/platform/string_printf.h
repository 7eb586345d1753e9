// printf-style formatting into a std::string, for the library's fixed texts.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace Quillfern::ZoCodeInspections::Native {

/// Formats like printf; the result has exactly the formatted length.
[[gnu::format(printf, 1, 2)]] inline std::string StringPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  return text;
}

}  // namespace Quillfern::ZoCodeInspections::Native
