// Any text, either way round: a mapper's tables match, start at 0, ascend
// and end with the sentinels; every line start maps to its line's UTF-16
// start; a mapped range stays ordered and inside the UTF-16 text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "buffers/encodings.h"
#include "fuzz_check.h"
#include "mapping/utf_index_mappers.h"

namespace Native = Quillfern::ZoCodeInspections::Native;

namespace {

bool IsBreak(char32_t c) { return c == '\r' || c == '\n'; }

/// Line starts of a text by the rules, one unit at a time.
template <typename Text>
std::vector<uint32_t> LineStartsByTheRules(const Text& text) {
  std::vector<uint32_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsBreak(static_cast<char32_t>(text[i]))) continue;
    if (i + 1 < text.size() && IsBreak(static_cast<char32_t>(text[i + 1])) && text[i + 1] != text[i]) ++i;
    starts.push_back(static_cast<uint32_t>(i + 1));
  }
  starts.push_back(static_cast<uint32_t>(text.size() + 1));
  return starts;
}

void CheckTables(const Native::IUtfIndexMapper& mapper) {
  const auto& starts8 = mapper.Utf8LineStarts();
  const auto& starts16 = mapper.Utf16LineStarts();
  FUZZ_CHECK(mapper.IsValid());
  FUZZ_CHECK(starts8.size() == starts16.size() && starts8.size() >= 2);
  FUZZ_CHECK(starts8.front() == 0 && starts16.front() == 0);
  FUZZ_CHECK(starts8.back() == mapper.Utf8View().size() + 1);
  FUZZ_CHECK(starts16.back() == mapper.Utf16View().size() + 1);
  for (size_t i = 1; i < starts8.size(); ++i) {
    FUZZ_CHECK(starts8[i - 1] < starts8[i] && starts16[i - 1] < starts16[i]);
  }
  for (size_t line = 0; line + 1 < starts8.size(); ++line) {
    uint32_t begin16 = 0, end16 = 0, beginLine = 0;
    FUZZ_CHECK(mapper.MapSpan(begin16, end16, starts8[line], starts8[line], &beginLine, nullptr,
                              Native::Utf8Origin::textStart));
    FUZZ_CHECK(begin16 == starts16[line] && end16 == begin16);
    FUZZ_CHECK(line == 0 || beginLine == line);
  }
}

/// The UTF-16 index of a UTF-8 offset, walked unit by unit from its line's start.
uint32_t WalkedIndex(const Native::IUtfIndexMapper& mapper, uint32_t offset8) {
  const uint32_t line = mapper.LineOf(offset8).value_or(0);
  uint32_t index = mapper.Utf16LineStarts()[line];
  mapper.AdvanceToUtf8Offset(index, mapper.Utf8LineStarts()[line], offset8);
  return index;
}

/// Maps ranges picked by the input's own bytes, to where the walk from each
/// end's line start arrives; `mustMap` when every range inside the text has
/// to succeed.
void CheckRanges(const Native::IUtfIndexMapper& mapper, const uint8_t* data, size_t size, bool mustMap) {
  const auto length8 = static_cast<uint32_t>(mapper.Utf8View().size());
  const auto length16 = static_cast<uint32_t>(mapper.Utf16View().size());
  for (size_t i = 0; i + 1 < size && i < 64; i += 2) {
    uint32_t begin8 = data[i] * 257u % (length8 + 1);
    uint32_t end8 = data[i + 1] * 257u % (length8 + 1);
    if (begin8 > end8) std::swap(begin8, end8);
    uint32_t begin16 = 0, end16 = 0;
    const bool mapped = mapper.MapSpan(begin16, end16, begin8, end8, nullptr, nullptr, Native::Utf8Origin::textStart);
    FUZZ_CHECK(mapped || !mustMap);
    if (mapped) {
      FUZZ_CHECK(begin16 <= end16 && end16 <= length16);
      FUZZ_CHECK(begin16 == WalkedIndex(mapper, begin8) && end16 == WalkedIndex(mapper, end8));
    }
    uint32_t tooFar16 = 0;
    FUZZ_CHECK(
        !mapper.MapSpan(begin16, tooFar16, begin8, length8 + 1, nullptr, nullptr, Native::Utf8Origin::textStart));
  }
}

/// The walk crosses the whole text: the end of the UTF-8 text maps to the
/// end of the UTF-16 text, whatever the bytes.
void CheckWholeText(const Native::IUtfIndexMapper& mapper) {
  const auto length8 = static_cast<uint32_t>(mapper.Utf8View().size());
  if (length8 == 0) return;
  uint32_t begin16 = 0, end16 = 0;
  FUZZ_CHECK(mapper.MapSpan(begin16, end16, 0, length8, nullptr, nullptr, Native::Utf8Origin::textStart));
  FUZZ_CHECK(begin16 == 0 && end16 == mapper.Utf16View().size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto utf8 = std::make_shared<const std::string>(reinterpret_cast<const char*>(data), size);
  const Native::UtfIndexMapper8_to_16 from8(utf8);
  CheckTables(from8);
  FUZZ_CHECK(from8.Utf8LineStarts() == LineStartsByTheRules(*utf8));
  CheckRanges(from8, data, size, true);
  CheckWholeText(from8);

  auto utf16 = std::make_shared<const std::u16string>(Native::Utf16LeUnits(utf8->data(), utf8->size()));
  const Native::LeadingBom bom = size > 0 && data[0] % 2 == 1 ? Native::LeadingBom::skip : Native::LeadingBom::keep;
  const Native::UtfIndexMapper16_to_8 from16(utf16, bom);
  CheckTables(from16);
  FUZZ_CHECK(from16.Utf16LineStarts() == LineStartsByTheRules(from16.Utf16View()));
  CheckRanges(from16, data, size, true);
  CheckWholeText(from16);
  return 0;
}
