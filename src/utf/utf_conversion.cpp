// UTF-8/UTF-16 conversions.
#include "utf/utf_conversion.h"

#include <stdexcept>

namespace Quillfern::ZoCodeInspections::Native {

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

[[noreturn]] void BadConversion() { throw std::range_error("bad conversion"); }

/// Length and smallest allowed value of the sequence a lead byte starts.
struct SequenceShape {
  size_t length;
  uint32_t smallest;
  uint32_t valueBits;
};

SequenceShape ShapeOfLead(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, lead & 0x1Fu};
  if (lead >= 0xE0 && lead <= 0xEF) return {3, 0x800, lead & 0x0Fu};
  if (lead >= 0xF0 && lead <= 0xF4) return {4, 0x10000, lead & 0x07u};
  BadConversion();
}

void AppendUtf16(std::u16string& out, uint32_t codePoint) {
  if (codePoint < 0x10000) {
    out += static_cast<char16_t>(codePoint);
  } else {
    out += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
  }
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

void AppendUnitsAsUtf8(std::string& out, std::u16string_view units) {
  for (const char16_t unit : units) AppendUtf8(out, unit);
}

std::string Utf16ToUtf8(const char16_t* units, size_t count) {
  std::string out;
  out.reserve(count);
  AppendUnitsAsUtf8(out, std::u16string_view(units, count));
  return out;
}

std::u16string Utf16Units(const char* bytes, size_t size, bool bigEndian) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  const size_t low = bigEndian ? 1 : 0;
  std::u16string units(size / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(p[2 * i + low] | (p[2 * i + 1 - low] << 8));
  }
  return units;
}

std::string Utf16ToUtf8Joined(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    if (IsHighSurrogate(units[i]) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      AppendUtf8(out, 0x10000 + ((units[i] - 0xD800u) << 10) + (units[i + 1] - 0xDC00u));
      ++i;
    } else {
      AppendUtf8(out, units[i]);
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(const char* bytes, size_t count) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  std::u16string out;
  out.reserve(count);
  for (size_t i = 0; i < count;) {
    if (p[i] < 0x80) {
      out += static_cast<char16_t>(p[i++]);
      continue;
    }
    const SequenceShape shape = ShapeOfLead(p[i]);
    if (count - i < shape.length) BadConversion();
    uint32_t value = shape.valueBits;
    for (size_t k = 1; k < shape.length; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) BadConversion();
      value = (value << 6) | (p[i + k] & 0x3Fu);
    }
    if (value < shape.smallest || value > 0x10FFFF) BadConversion();
    AppendUtf16(out, value);
    i += shape.length;
  }
  return out;
}

}  // namespace Quillfern::ZoCodeInspections::Native
