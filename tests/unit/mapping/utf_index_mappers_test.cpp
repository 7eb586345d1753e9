// Building both mappers, mapping UTF-8 offsets to UTF-16 indexes, and which
// mapper each kind of text gets.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mapping/mapper_factories.h"
#include "mapping/utf_index_mappers.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::Encoding;
using ::testing::ElementsAre;

namespace {

Native::UtfIndexMapper8_to_16 From8(std::string text) {
  return Native::UtfIndexMapper8_to_16(std::make_shared<const std::string>(std::move(text)));
}

Native::UtfIndexMapper16_to_8 From16(std::u16string text, Native::LeadingBom bom = Native::LeadingBom::keep) {
  return Native::UtfIndexMapper16_to_8(std::make_shared<const std::u16string>(std::move(text)), bom);
}

/// MapSpan of (begin8, end8): the mapped pair, or none.
std::optional<std::pair<uint32_t, uint32_t>> Map(const Native::IUtfIndexMapper& mapper, uint32_t begin8,
                                                 uint32_t end8) {
  uint32_t begin16 = 99;
  uint32_t end16 = 99;
  if (!mapper.MapSpan(begin16, end16, begin8, end8, nullptr, nullptr, Native::Utf8Origin::textStart))
    return std::nullopt;
  return std::make_pair(begin16, end16);
}

using Pair = std::pair<uint32_t, uint32_t>;

TEST(UtfIndexMapper, EmptyTextHasOneLine) {
  const auto mapper = From8("");
  EXPECT_THAT(mapper.Utf8LineStarts(), ElementsAre(0u, 1u));
  EXPECT_THAT(mapper.Utf16LineStarts(), ElementsAre(0u, 1u));
  EXPECT_EQ(Map(mapper, 0, 0), Pair(0, 0));
  EXPECT_EQ(mapper.LineOf(0), 0u);
  EXPECT_EQ(mapper.LineOf(1), std::nullopt);
  EXPECT_TRUE(mapper.IsValid());
}

// The UTF-8 side's breaks inside the text are swept below; here the ends of
// the text and the UTF-16 mapper.
TEST(UtfIndexMapper, LineBreaksOfEitherOrderPairUp) {
  EXPECT_THAT(From8("a\n\n").Utf8LineStarts(), ElementsAre(0u, 2u, 3u, 4u));
  EXPECT_THAT(From16(u"a\r\nb").Utf16LineStarts(), ElementsAre(0u, 3u, 5u));
  EXPECT_THAT(From16(u"a\n\rb").Utf8LineStarts(), ElementsAre(0u, 3u, 5u));
  EXPECT_THAT(From16(u"a\r\rb").Utf16LineStarts(), ElementsAre(0u, 2u, 3u, 5u));
}

/// Line starts by the rules, one byte at a time: CR LF and LF CR pair up
/// from the left, every other CR or LF ends a line of its own.
std::vector<uint32_t> LineStartsByTheRules(const std::string& text) {
  std::vector<uint32_t> starts{0};
  auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
  for (size_t i = 0; i < text.size(); ++i) {
    if (!isBreak(text[i])) continue;
    if (i + 1 < text.size() && isBreak(text[i + 1]) && text[i + 1] != text[i]) ++i;
    starts.push_back(static_cast<uint32_t>(i + 1));
  }
  starts.push_back(static_cast<uint32_t>(text.size() + 1));
  return starts;
}

// Plain ASCII is handled 64 bytes at a time: breaks of every shape, at every
// position around the block boundaries, must come out as the rules say.
TEST(UtfIndexMapper8_to_16, LineBreaksAroundBlockBoundariesFollowTheRules) {
  const char* shapes[] = {"\n", "\r", "\r\n", "\n\r", "\r\r", "\n\n", "\r\n\r\n", "\r\n\r", "\n\r\n\r\n", "\r\r\n\n"};
  for (const char* shape : shapes) {
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

TEST(UtfIndexMapper8_to_16, BrokenSequencesYieldTheirLeadBitsAndDecodeOnAfresh) {
  EXPECT_EQ(*From8("\xC3"
                   "A")
                 .Utf16Text(),
            u"\u0003A");
  EXPECT_EQ(*From8("\xE2\x82").Utf16Text(), u"\u0002\u0082");
  EXPECT_EQ(*From8("\xE2\x82\n").Utf16Text(), u"\u0002\u0082\n");
  EXPECT_EQ(*From8("\x80\xFF").Utf16Text(), u"\u0080\u00FF");
  EXPECT_EQ(*From8("\xC0\x80").Utf16Text(), std::u16string(1, u'\0'));  // overlong forms pass
  // A stray byte and a broken lead are one byte and one unit in the walk too.
  EXPECT_EQ(Map(From8("a\x80"
                      "bc\nxy"),
                3, 4),
            Pair(3, 4));
  EXPECT_EQ(Map(From8("a\xE2\x82"
                      "bc"),
                3, 4),
            Pair(3, 4));
}

// The walk steps over the bytes that made each unit: a surrogate pair decoded
// from four bytes measures four, halves encoded on their own (as text
// converted from UTF-16 has them) three each.
TEST(UtfIndexMapper, SurrogatePairsMeasureTheBytesTheyCameFrom) {
  struct Case {
    Native::UtfIndexMapper8_to_16 mapper;
    uint32_t begin8, end8;
    Pair mapped;
  };
  const std::string emoji = "\xF0\x9F\x98\x80";
  const std::string halves = "\xED\xA0\xBD\xED\xB8\x80";
  const Case cases[] = {
      {From8(emoji + "x"), 0, 5, Pair(0, 3)},
      {From8(emoji + "x"), 4, 5, Pair(2, 3)},
      {From8(emoji + "x"), 0, 2, Pair(0, 2)},  // inside the character: after it
      {From8("int* p = " + emoji + emoji + " 0;"), 17, 18, Pair(13, 14)},
      {From8("\xEF\xBB\xBF" + emoji + "0"), 7, 8, Pair(3, 4)},
      {From8(halves + "x"), 6, 7, Pair(2, 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Map(c.mapper, c.begin8, c.end8), c.mapped) << c.begin8 << ".." << c.end8;
  }
  uint32_t offset = 0;
  EXPECT_TRUE(From8(emoji + "x").Utf8LengthOfRange(offset, 0, 3));
  EXPECT_EQ(offset, 5u);
  offset = 0;
  EXPECT_TRUE(From16(u"\U0001F600x").Utf8LengthOfRange(offset, 0, 3));
  EXPECT_EQ(offset, 7u);
  EXPECT_EQ(Map(From16(u"\U0001F600x"), 6, 7), Pair(2, 3));
}

TEST(UtfIndexMapper, MapSpanRefusesWhatItCannotMap) {
  const auto mapper = From8("ab\ncd");
  EXPECT_EQ(Map(mapper, 2, 1), std::nullopt);  // reversed on one line
  EXPECT_EQ(Map(mapper, 1, 7), std::nullopt);  // beyond the last line
  EXPECT_EQ(Map(mapper, 6, 6), std::nullopt);
  EXPECT_EQ(Map(mapper, 1, 4), Pair(1, 4));  // across lines
  uint32_t b = 0, e = 0, first = 9, last = 9;
  ASSERT_TRUE(mapper.MapSpan(b, e, 1, 4, &first, &last, Native::Utf8Origin::textStart));
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(last, 1u);
}

TEST(UtfIndexMapper, WalksReportTheEndOfTheText) {
  const auto mapper = From8("a\xC3\xA9");
  uint32_t index = 0;
  EXPECT_TRUE(mapper.AdvanceToUtf8Offset(index, 3, 2));  // already there
  EXPECT_EQ(index, 0u);
  EXPECT_TRUE(mapper.AdvanceToUtf8Offset(index, 0, 3));
  EXPECT_EQ(index, 2u);
  EXPECT_FALSE(mapper.AdvanceToUtf8Offset(index, 3, 4));
  uint32_t offset = 10;
  EXPECT_TRUE(mapper.Utf8LengthOfRange(offset, 0, 2));
  EXPECT_EQ(offset, 13u);
  EXPECT_FALSE(mapper.Utf8LengthOfRange(offset, 1, 3));
}

TEST(UtfIndexMapper16_to_8, EncodesUnitsOnTheirOwnAndCanSkipABom) {
  const auto mapper = From16(u"\uFEFFa\u00E9\r\n\U0001F600", Native::LeadingBom::skip);
  EXPECT_EQ(mapper.Utf16View(), u"a\u00E9\r\n\U0001F600");
  EXPECT_EQ(*mapper.Utf8Text(), "a\xC3\xA9\r\n\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_THAT(mapper.Utf8LineStarts(), ElementsAre(0u, 5u, 12u));
  EXPECT_THAT(mapper.Utf16LineStarts(), ElementsAre(0u, 4u, 7u));
  EXPECT_EQ(Map(mapper, 5, 11), Pair(4, 6));
  EXPECT_TRUE(mapper.IsValid());
}

TEST(UtfIndexMapper, ConstructionWithASkipBeyondTheTextThrows) {
  EXPECT_THROW(Native::UtfIndexMapper8_to_16(std::make_shared<const std::string>("ab"), 3), std::out_of_range);
}

TEST(UtfIndexMapper, DumpListsBothTablesWithTheirSentinels) {
  EXPECT_EQ(From8("\xC3\xA9\nx").Dump(),
            "UtfIndexMapper8_to_16\n\n"
            "utf8 side lines at:\n"
            "  ln    1 :      0\n"
            "  ln    2 :      3\n"
            "  ln    3 :      5\n"
            "utf16 side lines at:\n"
            "  ln    1 :      0\n"
            "  ln    2 :      2\n"
            "  ln    3 :      4\n");
}

TEST(MakeMapperFromUtf16, TextNotDetectedAsLittleEndianGetsNone) {
  auto from = [](std::u16string text) {
    return Native::MakeMapperFromUtf16(std::make_shared<const std::u16string>(std::move(text)));
  };
  EXPECT_NE(from(u"ab\n"), nullptr);
  EXPECT_EQ(from(u""), nullptr);              // detected as ASCII
  EXPECT_EQ(from(u"\u4E2D\u6587"), nullptr);  // no NUL bytes: ANSI
  EXPECT_EQ(Native::MakeMapperFromUtf16(nullptr), nullptr);
}

TEST(MakeMapperFromUtf8, ChoosesByGivenOrDetectedEncodingAndReadsUtf16InItsByteOrder) {
  auto from = [](std::string text, std::optional<Encoding> encoding = std::nullopt) {
    return Native::MakeMapperFromUtf8(std::make_shared<const std::string>(std::move(text)), encoding);
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
