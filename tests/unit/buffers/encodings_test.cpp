// Encoding detection, the conversion decision and the text conversions.
#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>

#include "buffers/encodings.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::Encoding;

namespace {

Encoding Detect(std::string_view bytes) { return Native::DetectEncoding(bytes.data(), bytes.size()); }

TEST(DetectEncoding, ByteOrderMarksDecideFirst) {
  EXPECT_EQ(Detect("\xFF\xFE"), Encoding::UTF16_LE_BOM);
  EXPECT_EQ(Detect("\xFE\xFF" "abc"), Encoding::UTF16_BE_BOM);
  EXPECT_EQ(Detect("\xEF\xBB\xBF" "\xC0\xF5"), Encoding::UTF8_BOM);
  // Two bytes of the UTF-8 mark are no mark: a cut-off sequence.
  EXPECT_EQ(Detect("\xEF\xBB"), Encoding::UTF8_NOBOM);
}

TEST(DetectEncoding, Utf8ScanChecksLeadsAndContinuations) {
  EXPECT_EQ(Detect(""), Encoding::ASCII);
  EXPECT_EQ(Detect("abc\xC3"), Encoding::ASCII);  // ends right after a lead
  EXPECT_EQ(Detect("abc\xC3\xA9"), Encoding::UTF8_NOBOM);
  EXPECT_EQ(Detect("abc\xE2\x82"), Encoding::UTF8_NOBOM);  // cut off after a continuation
  EXPECT_EQ(Detect("\xED\xA0\x80"), Encoding::UTF8_NOBOM);  // surrogates are not checked
  EXPECT_EQ(Detect("ab\xC0\x80"), Encoding::ANSI);
  EXPECT_EQ(Detect("ab\xF5\x80\x80\x80"), Encoding::ANSI);
  EXPECT_EQ(Detect("\xC3(x"), Encoding::ANSI);  // a lead without its continuation
}

// The scan skips whole words of plain ASCII: every position of a long buffer
// must still see a single special byte.
TEST(DetectEncoding, SpecialBytesAreSeenAtEveryPositionOfALongBuffer) {
  for (size_t at = 0; at + 2 <= 80; ++at) {
    std::string text(80, 'x');
    text.replace(at, 2, "\xC3\xA9");
    EXPECT_EQ(Detect(text), Encoding::UTF8_NOBOM) << at;
    text.replace(at, 2, "\xC0" "x");
    EXPECT_EQ(Detect(text), Encoding::ANSI) << at;
    text.replace(at, 2, std::string("\0x", 2));
    EXPECT_EQ(Detect(text), Encoding::None) << at;
  }
}

TEST(DetectEncoding, Utf16LineBreaksNeedOneByteOrderOnly) {
  EXPECT_EQ(Detect(std::string("a\0b\0\r\0", 6)), Encoding::UTF16_LE_NOBOM);
  EXPECT_EQ(Detect(std::string("\0a\0\n", 4)), Encoding::UTF16_BE_NOBOM);
  // Both orders: no answer from the breaks; a few NULs end as binary.
  EXPECT_EQ(Detect(std::string("\r\0\0\nabcdefgh", 12)), Encoding::None);
}

TEST(DetectEncoding, Utf16LineBreaksCountOnlyAtEvenOffsets) {
  for (size_t at = 0; at + 2 < 64; ++at) {
    std::string text(64, 'A');
    text.back() = '\xC0';  // not UTF-8
    text[at] = '\n';
    text[at + 1] = '\0';
    // One NUL in 64 bytes is far from any UTF-16 ratio: binary.
    EXPECT_EQ(Detect(text), at % 2 == 0 ? Encoding::UTF16_LE_NOBOM : Encoding::None) << at;
  }
}

/// `size` bytes 'a' with NULs at the first `even` even and `odd` odd offsets.
std::string NulPattern(size_t size, size_t even, size_t odd) {
  std::string text(size, 'a');
  for (size_t i = 0; i < even; ++i) text[2 * i] = '\0';
  for (size_t i = 0; i < odd; ++i) text[2 * i + 1] = '\0';
  return text;
}

TEST(DetectEncoding, NulRatiosCompareStrictly) {
  // 20 bytes: a ratio is the count of NULs on one side divided by 10.
  EXPECT_EQ(Detect(NulPattern(20, 0, 8)), Encoding::UTF16_LE_NOBOM);
  EXPECT_EQ(Detect(NulPattern(20, 0, 7)), Encoding::None);  // exactly 70 %
  EXPECT_EQ(Detect(NulPattern(20, 1, 10)), Encoding::None);  // exactly 10 % on the other side
  EXPECT_EQ(Detect(NulPattern(20, 8, 0)), Encoding::UTF16_BE_NOBOM);
  EXPECT_EQ(Detect(NulPattern(20, 7, 0)), Encoding::None);
  EXPECT_EQ(Detect(NulPattern(20, 10, 1)), Encoding::None);
  // Long enough for whole words, with an odd tail.
  EXPECT_EQ(Detect(NulPattern(101, 2, 45)), Encoding::UTF16_LE_NOBOM);
}

TEST(DetectEncoding, WithoutUtf16PatternNulMeansBinaryElseAnsi) {
  EXPECT_EQ(Detect(std::string("ab\0cd", 5)), Encoding::None);
  EXPECT_EQ(Detect("caf\xE9!"), Encoding::ANSI);
}

TEST(EncodingNames, NamesAndBomLengths) {
  EXPECT_STREQ(Native::EncodingName(Encoding::UTF16_LE_NOBOM), "UTF16_LE_NOBOM");
  EXPECT_STREQ(Native::EncodingName(Encoding::None), "None");
  EXPECT_STREQ(Native::EncodingName(static_cast<Encoding>(9)), "???");
  EXPECT_EQ(Native::BomLength(Encoding::UTF8_BOM), 3u);
  EXPECT_EQ(Native::BomLength(Encoding::UTF16_BE_BOM), 2u);
  EXPECT_EQ(Native::BomLength(Encoding::UTF8_NOBOM), 0u);
}

std::optional<Native::FileContent> Convert(std::string_view bytes, Native::ConversionSettings settings = {}) {
  return Native::ConvertFileContent(bytes.data(), bytes.size(), settings);
}

void ExpectContent(const std::optional<Native::FileContent>& got, Encoding encoding, bool converted,
                   uint32_t bom, std::string_view text) {
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->encoding, encoding);
  EXPECT_EQ(got->converted, converted);
  EXPECT_EQ(got->bomLength, bom);
  ASSERT_NE(got->content, nullptr);
  EXPECT_EQ(*got->content, text);
}

TEST(ConvertFileContent, Utf8AndAsciiPassUnchangedWithoutTheirBom) {
  ExpectContent(Convert("int x;"), Encoding::ASCII, false, 0, "int x;");
  ExpectContent(Convert("\xEF\xBB\xBFx"), Encoding::UTF8_BOM, false, 3, "x");
  ExpectContent(Convert(""), Encoding::ASCII, false, 0, "");
}

TEST(ConvertFileContent, BomlessUtf8IsAnsiOnlyWithoutAutoDetectionAndWithConversion) {
  const std::string e = "\xC3\xA9";
  ExpectContent(Convert(e, {true, 0, true}), Encoding::UTF8_NOBOM, false, 0, e);
  ExpectContent(Convert(e, {false, 0, false}), Encoding::UTF8_NOBOM, false, 0, e);
  // Read as Windows-1252, its two bytes become two characters.
  ExpectContent(Convert(e, {false, 0, true}), Encoding::UTF8_NOBOM, true, 0, "\xC3\x83\xC2\xA9");
}

TEST(ConvertFileContent, AnsiIsDecodedInTheSettingsCodePage) {
  ExpectContent(Convert("caf\xE9!"), Encoding::ANSI, true, 0, "caf\xC3\xA9!");
  ExpectContent(Convert("\xE9!", {true, 1251, true}), Encoding::ANSI, true, 0, "\xD0\xB9!");
  ExpectContent(Convert("caf\xE9!", {true, 0, false}), Encoding::ANSI, false, 0, "caf\xE9!");
  EXPECT_THROW(Convert("caf\xE9!", {true, 987654, true}), std::system_error);
}

TEST(ConvertFileContent, LittleEndianUtf16IsConvertedBigEndianRefused) {
  ExpectContent(Convert("\xFF\xFE"), Encoding::UTF16_LE_BOM, true, 0, "");
  ExpectContent(Convert(std::string("\xFF\xFE" "a\0\xE9\0!", 7)), Encoding::UTF16_LE_BOM, true, 0,
                "a\xC3\xA9");  // the odd last byte is dropped
  ExpectContent(Convert(std::string("a\0\n\0", 4)), Encoding::UTF16_LE_NOBOM, true, 0, "a\n");
  EXPECT_FALSE(Convert("\xFE\xFF\0a").has_value());
  EXPECT_FALSE(Convert(std::string("\0a\0\n", 4)).has_value());
}

TEST(ConvertFileContent, BinaryIsHeldAsEmptyConvertedText) {
  ExpectContent(Convert(std::string("ab\0cd", 5)), Encoding::None, true, 0, "");
}

TEST(ConversionSettings, CodePageMattersOnlyWhenBothConvert) {
  const Native::ConversionSettings base{true, 0, true};
  EXPECT_FALSE(Native::ConversionSettingsDiffer(base, base));
  EXPECT_TRUE(Native::ConversionSettingsDiffer(base, {true, 1251, true}));
  EXPECT_TRUE(Native::ConversionSettingsDiffer(base, {false, 0, true}));
  EXPECT_TRUE(Native::ConversionSettingsDiffer(base, {true, 0, false}));
  EXPECT_FALSE(Native::ConversionSettingsDiffer({true, 0, false}, {true, 1251, false}));
}

TEST(ConversionSettings, EveryThreadStartsWithTheDefaults) {
  Native::ThreadConversionSettings().convertAnsi = false;
  Native::ConversionSettings seen{false, 7, false};
  std::thread([&] { seen = Native::ThreadConversionSettings(); }).join();
  EXPECT_TRUE(seen.autoDetectUtf8 && seen.convertAnsi);
  EXPECT_EQ(seen.codePage, 0u);
  Native::ThreadConversionSettings() = {};
}

TEST(Utf16ToUtf8, EncodesEveryUnitOnItsOwn) {
  const std::u16string text = u"a\u00E9\u20AC\U0001F600";
  EXPECT_EQ(Native::Utf16ToUtf8(text.data(), text.size()),
            "a\xC3\xA9\xE2\x82\xAC\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(Native::Utf16ToUtf8Joined(text), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(Utf8ToUtf16, DecodesWellFormedTextAndItsOwnSurrogateHalves) {
  const std::string four = "x\xF0\x9F\x98\x80";
  EXPECT_EQ(Native::Utf8ToUtf16(four.data(), four.size()), u"x\U0001F600");
  const std::u16string pair = u"\U0001F600\u00E9";
  const std::string halves = Native::Utf16ToUtf8(pair.data(), pair.size());
  EXPECT_EQ(Native::Utf8ToUtf16(halves.data(), halves.size()), pair);
}

TEST(Utf8ToUtf16, MalformedInputIsABadConversion) {
  for (const std::string bad : {"ab\xC3", "\xC0\x80", "\xE0\x80\x80", "\xF4\x90\x80\x80", "\x80",
                                "\xC3" "A", "\xF8\x88\x80\x80\x80"}) {
    try {
      Native::Utf8ToUtf16(bad.data(), bad.size());
      ADD_FAILURE() << "accepted " << bad;
    } catch (const std::range_error& error) {
      EXPECT_STREQ(error.what(), "bad conversion");
    }
  }
}

TEST(MakeFileKey, Utf8NamesAreOnlyLowerCased) {
  EXPECT_EQ(Native::MakeFileKey(std::string_view("C:/Src/./A.CPP"), true), "c:/src/./a.cpp");
  EXPECT_EQ(Native::MakeFileKey(std::string_view("C:/Src/./A.CPP"), false), "C:/Src/./A.CPP");
  EXPECT_EQ(Native::MakeFileKey(std::string_view("\xC3\x89X"), true), "\xC3\x89x");
}

TEST(MakeFileKey, Utf16NamesAreNormalisedLexically) {
#ifdef _WIN32
  EXPECT_EQ(Native::MakeFileKey(std::u16string_view(u"C:/Src/./A.CPP"), true), "c:\\src\\a.cpp");
#else
  EXPECT_EQ(Native::MakeFileKey(std::u16string_view(u"C:/Src/./A.CPP"), true), "c:/src/a.cpp");
  EXPECT_EQ(Native::MakeFileKey(std::u16string_view(u"/a/b/../\u00C9.h"), true), "/a/\xC3\x89.h");
#endif
  // A name the path library cannot encode still gets a key.
  EXPECT_EQ(Native::MakeFileKey(std::u16string_view(u"A\xD800"), true), "a\xED\xA0\x80");
}

}  // namespace
