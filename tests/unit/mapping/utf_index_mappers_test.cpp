// Building both mappers, mapping UTF-8 offsets to UTF-16 indexes, and which
// mapper each kind of text gets.
#include <gmock/gmock.h>

#include "mapping/mapper_factories.h"
#include "mapping/utf_index_mappers.h"
#include "utf/utf_conversion.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using ::testing::ElementsAre;
using Pair = std::pair<uint32_t, uint32_t>;
using Starts = std::vector<uint32_t>;

UtfIndexMapper8_to_16 From8(std::string text) {
  return UtfIndexMapper8_to_16(std::make_shared<const std::string>(std::move(text)));
}

UtfIndexMapper16_to_8 From16(std::u16string text, LeadingBom bom = LeadingBom::keep) {
  return UtfIndexMapper16_to_8(std::make_shared<const std::u16string>(std::move(text)), bom);
}

/// MapSpan of (begin8, end8): the mapped pair, or none.
std::optional<Pair> Map(const IUtfIndexMapper& mapper, uint32_t begin8, uint32_t end8) {
  uint32_t begin16 = 99, end16 = 99;
  if (!mapper.MapSpan(begin16, end16, begin8, end8, nullptr, nullptr, Utf8Origin::textStart)) return std::nullopt;
  return Pair(begin16, end16);
}

/// AdvanceToUtf8Offset from `index`: the index reached, or none at the end of the text.
std::optional<uint32_t> Advance(const IUtfIndexMapper& mapper, uint32_t index, uint32_t start, uint32_t target) {
  return mapper.AdvanceToUtf8Offset(index, start, target) ? std::optional(index) : std::nullopt;
}

/// Utf8LengthOfRange added to `offset`, or none at the end of the text.
std::optional<uint32_t> Length(const IUtfIndexMapper& mapper, uint32_t offset, uint32_t from, uint32_t to) {
  return mapper.Utf8LengthOfRange(offset, from, to) ? std::optional(offset) : std::nullopt;
}

/// Line starts by the rules, one byte at a time: CR LF and LF CR pair up
/// from the left, every other CR or LF ends a line of its own.
Starts LineStartsByTheRules(const std::string& text) {
  Starts starts{0};
  auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
  for (size_t i = 0; i < text.size(); ++i) {
    if (!isBreak(text[i])) continue;
    if (i + 1 < text.size() && isBreak(text[i + 1]) && text[i + 1] != text[i]) ++i;
    starts.push_back(static_cast<uint32_t>(i + 1));
  }
  starts.push_back(static_cast<uint32_t>(text.size() + 1));
  return starts;
}

// The UTF-8 side's breaks inside the text are swept below; here the ends of
// the text and the UTF-16 mapper.
TEST(UtfIndexMapper, LineTablesEndWithTheirSentinelsAndPairBreaksOfEitherOrder) {
  const auto empty = From8("");
  EXPECT_EQ(std::tie(empty.Utf8LineStarts(), empty.Utf16LineStarts()), std::make_tuple(Starts{0, 1}, Starts{0, 1}));
  EXPECT_EQ(Map(empty, 0, 0), Pair(0, 0));
  EXPECT_EQ(empty.LineOf(0), 0u);
  EXPECT_EQ(empty.LineOf(1), std::nullopt);
  EXPECT_TRUE(empty.IsValid());
  EXPECT_EQ(From8("a\n\n").Utf8LineStarts(), (Starts{0, 2, 3, 4}));
  EXPECT_EQ(From16(u"a\r\nb").Utf16LineStarts(), (Starts{0, 3, 5}));
  EXPECT_EQ(From16(u"a\n\rb").Utf8LineStarts(), (Starts{0, 3, 5}));
  EXPECT_EQ(From16(u"a\r\rb").Utf16LineStarts(), (Starts{0, 2, 3, 5}));
  EXPECT_THROW(UtfIndexMapper8_to_16(std::make_shared<const std::string>("ab"), 3), std::out_of_range);
}

// Plain ASCII is handled 64 bytes at a time: breaks of every shape, at every
// position around the block boundaries, must come out as the rules say.
TEST(UtfIndexMapper8_to_16, LineBreaksAroundBlockBoundariesFollowTheRules) {
  for (const char* shape :
       {"\n", "\r", "\r\n", "\n\r", "\r\r", "\n\n", "\r\n\r\n", "\r\n\r", "\n\r\n\r\n", "\r\r\n\n"}) {
    for (size_t at = 52; at < 140; ++at) {
      std::string text(200, 'x');
      text.insert(at, shape);
      text.insert(20, std::string(shape) + "y");  // a second break earlier on
      const auto mapper = From8(text);
      const auto expected = LineStartsByTheRules(text);
      ASSERT_EQ(mapper.Utf8LineStarts(), expected) << shape << " at " << at;
      ASSERT_EQ(mapper.Utf16LineStarts(), expected) << shape << " at " << at;
      ASSERT_EQ(*mapper.Utf16Text(), std::u16string(text.begin(), text.end()));
    }
  }
}

// A three-byte character, one unit, shifts the UTF-16 side against the
// UTF-8 side for the rest of the text wherever it lies: in the 64-byte blocks
// that build the tables and in the walk that skips four ASCII units at a time.
TEST(UtfIndexMapper8_to_16, AMultiByteCharacterAnywhereShiftsWhatFollows) {
  for (uint32_t at = 0; at < 140; ++at) {
    std::string text(160, 'x');
    for (size_t line = 30; line < text.size(); line += 31) text[line] = '\n';
    text.insert(at, "\xE2\x82\xAC");
    const auto unitOf = [at](uint32_t offset) {
      return offset <= at ? offset : offset <= at + 3 ? at + 1 : offset - 2;
    };
    const auto mapper = From8(text);
    std::u16string expected(text.begin(), text.begin() + at);
    expected += u'\u20AC';
    expected.append(text.begin() + at + 3, text.end());
    ASSERT_EQ(*mapper.Utf16Text(), expected) << at;
    const auto starts8 = LineStartsByTheRules(text);
    ASSERT_EQ(mapper.Utf8LineStarts(), starts8);
    for (size_t line = 1; line + 1 < starts8.size(); ++line) {
      EXPECT_EQ(mapper.Utf16LineStarts()[line], unitOf(starts8[line])) << at;
    }
    for (uint32_t offset = 0; offset <= text.size(); ++offset) {
      ASSERT_EQ(Map(mapper, offset, offset), Pair(unitOf(offset), unitOf(offset))) << at << " " << offset;
    }
  }
}

// A broken sequence yields its lead's value bits and decoding starts afresh;
// overlong forms pass. A stray byte or broken lead is one unit in the walk too.
TEST(UtfIndexMapper8_to_16, BrokenSequencesYieldTheirLeadBitsAndDecodeOnAfresh) {
  const std::pair<std::string, std::u16string> cases[] = {{"\xC3\x41", u"\u0003A"},
                                                          {"\xE2\x82", u"\u0002\u0082"},
                                                          {"\xE2\x82\n", u"\u0002\u0082\n"},
                                                          {"\x80\xFF", u"\u0080\u00FF"},
                                                          {"\xC0\x80", std::u16string(1, u'\0')},
                                                          // the highest lead and the first that stands for itself
                                                          {"\xF7\xBF\xBF\xBF\xF8", u"\xDFBF\xDFFF\x00F8"}};
  for (const auto& [bytes, units] : cases) EXPECT_EQ(*From8(bytes).Utf16Text(), units);
  EXPECT_EQ(Map(From8("a\x80\x62\x63\nxy"), 3, 4), Pair(3, 4));
  EXPECT_EQ(Map(From8("a\xE2\x82\x62\x63"), 3, 4), Pair(3, 4));
}

// The walk steps over the bytes that made each unit: a surrogate pair decoded
// from four bytes measures four, halves encoded on their own (as text
// converted from UTF-16 has them) three each.
TEST(UtfIndexMapper, SurrogatePairsMeasureTheBytesTheyCameFrom) {
  const std::string emoji = "\xF0\x9F\x98\x80";
  const std::tuple<std::string, uint32_t, uint32_t, Pair> cases[] = {
      {emoji + "x", 0, 5, Pair(0, 3)},
      {emoji + "x", 4, 5, Pair(2, 3)},
      {emoji + "x", 0, 2, Pair(0, 2)},  // inside the character: after it
      {"int* p = " + emoji + emoji + " 0;", 17, 18, Pair(13, 14)},
      {"\xEF\xBB\xBF" + emoji + "0", 7, 8, Pair(3, 4)},
      {"\xED\xA0\xBD\xED\xB8\x80x", 6, 7, Pair(2, 3)}};
  for (const auto& [text, begin8, end8, mapped] : cases) EXPECT_EQ(Map(From8(text), begin8, end8), mapped) << begin8;
  EXPECT_EQ(Length(From8(emoji + "x"), 0, 0, 3), 5u);
  EXPECT_EQ(Length(From16(u"\U0001F600x"), 0, 0, 3), 7u);
  EXPECT_EQ(Map(From16(u"\U0001F600x"), 6, 7), Pair(2, 3));
}

// The last and first code points of each UTF-8 length, in both directions:
// decoded from their own bytes, and encoded unit by unit (halves three bytes each).
TEST(UtfIndexMapper, CodePointsAtEachLengthsBoundsTakeTheirBytesAndUnits) {
  const std::string bytes = "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
  const std::u16string units = u"\x7F\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF";
  const uint32_t starts8[] = {0, 1, 3, 5, 8, 11, 15, 19}, starts16[] = {0, 1, 2, 3, 4, 5, 7, 9},
                 startsOfUnits8[] = {0, 1, 3, 5, 8, 11, 17, 23};
  EXPECT_EQ(Utf8ToUtf16(bytes.data(), bytes.size()), units);
  const auto from8 = From8(bytes);
  const auto from16 = From16(units);
  EXPECT_EQ(*from8.Utf16Text(), units);
  for (size_t i = 0; i + 1 < std::size(starts8); ++i) {
    EXPECT_EQ(Map(from8, starts8[i], starts8[i + 1]), Pair(starts16[i], starts16[i + 1])) << i;
    EXPECT_EQ(Map(from16, startsOfUnits8[i], startsOfUnits8[i + 1]), Pair(starts16[i], starts16[i + 1])) << i;
  }
}

TEST(UtfIndexMapper, MapSpanRefusesWhatItCannotMapAndWalksReportTheEndOfTheText) {
  const auto mapper = From8("ab\ncd");
  EXPECT_EQ(Map(mapper, 2, 1), std::nullopt);  // reversed on one line
  EXPECT_EQ(Map(mapper, 1, 7), std::nullopt);  // beyond the last line
  EXPECT_EQ(Map(mapper, 6, 6), std::nullopt);
  EXPECT_EQ(Map(mapper, 1, 4), Pair(1, 4));  // across lines
  uint32_t b = 0, e = 0, first = 9, last = 9;
  ASSERT_TRUE(mapper.MapSpan(b, e, 1, 4, &first, &last, Utf8Origin::textStart));
  EXPECT_EQ(Pair(first, last), Pair(0, 1));
  const auto accented = From8("a\xC3\xA9");
  EXPECT_EQ(Advance(accented, 0, 3, 2), 0u);  // already there
  EXPECT_EQ(Advance(accented, 0, 0, 3), 2u);
  EXPECT_EQ(Advance(accented, 2, 3, 4), std::nullopt);
  EXPECT_EQ(Length(accented, 10, 0, 2), 13u);
  EXPECT_EQ(Length(accented, 13, 1, 3), std::nullopt);
  EXPECT_EQ(Length(From8("a\n\xC3\xA9\nb"), 0, 2, 4), 3u);  // from a later line's start
  // Offsets from the text start count a skipped BOM; none may begin inside it.
  const UtfIndexMapper8_to_16 bom(std::make_shared<const std::string>(std::string("\xEF\xBB\xBF") + "ab\ncd"), 3);
  EXPECT_EQ(Map(bom, 3, 7), Pair(0, 4));
  EXPECT_EQ(Map(bom, 2, 4), std::nullopt);
}

TEST(UtfIndexMapper16_to_8, EncodesUnitsOnTheirOwnAndCanSkipABom) {
  const auto mapper = From16(u"\uFEFFa\u00E9\r\n\U0001F600", LeadingBom::skip);
  EXPECT_EQ(mapper.Utf16View(), u"a\u00E9\r\n\U0001F600");
  EXPECT_EQ(*mapper.Utf8Text(), "a\xC3\xA9\r\n\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(std::tie(mapper.Utf8LineStarts(), mapper.Utf16LineStarts()),
            std::make_tuple(Starts{0, 5, 12}, Starts{0, 4, 7}));
  EXPECT_EQ(Map(mapper, 5, 11), Pair(4, 6));
  EXPECT_TRUE(mapper.IsValid());
}

TEST(MakeMapper, ChoosesByGivenOrDetectedEncodingAndReadsUtf16InItsByteOrder) {
  auto from16 = [](std::u16string text) { return MakeMapperFromUtf16(std::make_shared<std::u16string>(text)); };
  EXPECT_NE(from16(u"ab\n"), nullptr);
  EXPECT_EQ(from16(u""), nullptr);  // detected as ASCII
  EXPECT_EQ(from16(u"\u4E2D\u6587"), nullptr);  // no NUL bytes: ANSI
  EXPECT_EQ(MakeMapperFromUtf16(nullptr), nullptr);
  auto from = [](std::string text, std::optional<Encoding> encoding = std::nullopt) {
    return MakeMapperFromUtf8(std::make_shared<const std::string>(std::move(text)), encoding);
  };
  EXPECT_EQ(from("int x;"), nullptr);  // ASCII
  EXPECT_EQ(*from("int x;", Encoding::UTF8_NOBOM)->Utf16Text(), u"int x;");
  EXPECT_NE(from("\xC3\xA9"), nullptr);
  EXPECT_EQ(from("caf\xE9!"), nullptr);
  EXPECT_EQ(*from(std::string("\xFE\xFF\0a", 4))->Utf16Text(), u"a");
  EXPECT_EQ(*from(std::string("\xFF\xFEx\0\n\0", 6))->Utf16Text(), u"x\n");
  EXPECT_EQ(*from(std::string("x\0\n\0", 4))->Utf8Text(), "x\n");
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
