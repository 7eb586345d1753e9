// Building a mapper from UTF-16 text: the text between line breaks is
// encoded unit by unit, as the walk within a line measures it.
#include "mapping/utf_index_mappers.h"
#include "utf/utf_conversion.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

bool IsLineBreak(char16_t unit) { return unit == u'\r' || unit == u'\n'; }

std::u16string_view MappedPart(const std::shared_ptr<const std::u16string>& utf16, LeadingBom bom) {
  if (!utf16) return {};
  return std::u16string_view(*utf16).substr(bom == LeadingBom::skip && !utf16->empty() ? 1 : 0);
}

}  // namespace

UtfIndexMapper16_to_8::UtfIndexMapper16_to_8(std::shared_ptr<const std::u16string> utf16, LeadingBom bom)
    : UtfIndexMapper(0), utf16_(std::move(utf16)), utf16View_(MappedPart(utf16_, bom)) {
  AddLineStart(0, 0);
  auto utf8 = std::make_shared<std::string>();
  utf8->reserve(utf16View_.size());
  const size_t count = utf16View_.size();
  size_t i = 0;
  while (i < count) {
    size_t lineEnd = i;
    while (lineEnd < count && !IsLineBreak(utf16View_[lineEnd])) ++lineEnd;
    AppendUnitsAsUtf8(*utf8, utf16View_.substr(i, lineEnd - i));
    if (lineEnd == count) break;
    // CR LF and LF CR are one break; so is a lone CR or LF.
    const char16_t first = utf16View_[lineEnd];
    i = lineEnd + 1;
    *utf8 += static_cast<char>(first);
    if (i < count && IsLineBreak(utf16View_[i]) && utf16View_[i] != first) {
      *utf8 += static_cast<char>(utf16View_[i++]);
    }
    AddLineStart(static_cast<uint32_t>(utf8->size()), static_cast<uint32_t>(i));
  }
  CloseTables(static_cast<uint32_t>(utf8->size()), static_cast<uint32_t>(count));
  utf8_ = std::move(utf8);
}

size_t UtfIndexMapper16_to_8::Footprint() const {
  return sizeof(*this) + UtfIndexMapper::Footprint() + (utf16_ ? 2 * utf16_->capacity() : 0) + utf8_->capacity();
}

std::string UtfIndexMapper16_to_8::Dump() const { return DumpTables("UtfIndexMapper16_to_8"); }

}  // namespace Quillfern::ZoCodeInspections::Native
