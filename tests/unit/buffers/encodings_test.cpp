// Encoding detection, the conversion decision, the text conversions and file keys.
#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>

#include "buffers/encodings.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using std::string_literals::operator""s;

Encoding Detect(std::string_view bytes) { return DetectEncoding(bytes.data(), bytes.size()); }

/// `size` bytes 'a' with NULs at the first `even` even and `odd` odd offsets.
std::string NulPattern(size_t size, size_t even, size_t odd) {
  std::string text(size, 'a');
  for (size_t i = 0; i < even; ++i) text[2 * i] = '\0';
  for (size_t i = 0; i < odd; ++i) text[2 * i + 1] = '\0';
  return text;
}

TEST(DetectEncoding, EachRuleInItsOrder) {
  // clang-format off
  const std::pair<std::string, Encoding> cases[] = {
      // byte order marks decide first; two bytes of the UTF-8 mark are a cut-off sequence
      {"\xFF\xFE", Encoding::UTF16_LE_BOM}, {"\xFE\xFF" "abc", Encoding::UTF16_BE_BOM},
      {"\xEF\xBB\xBF" "\xC0\xF5", Encoding::UTF8_BOM}, {"\xEF\xBB", Encoding::UTF8_NOBOM},
      // the UTF-8 scan checks leads and continuations; surrogates are not checked
      {"", Encoding::ASCII}, {"abc\xC3", Encoding::ASCII} /* ends right after a lead */,
      {"abc\xC3\xA9", Encoding::UTF8_NOBOM}, {"abc\xE2\x82", Encoding::UTF8_NOBOM} /* cut off after a continuation */,
      {"\xED\xA0\x80", Encoding::UTF8_NOBOM}, {"ab\xC0\x80", Encoding::ANSI},
      {"ab\xF4\x8F\xBF\xBF", Encoding::UTF8_NOBOM} /* U+10FFFF, the highest lead */,
      {"ab\xF5\x80\x80\x80", Encoding::ANSI}, {"\xC3(x", Encoding::ANSI} /* a lead without its continuation */,
      // UTF-16 line breaks need one byte order only; both orders and a few NULs end as binary
      {"a\0b\0\r\0"s, Encoding::UTF16_LE_NOBOM}, {"\0a\0\n"s, Encoding::UTF16_BE_NOBOM},
      {"\r\0\0\nabcdefgh"s, Encoding::None}, {"ab\0cd"s, Encoding::None},
      // 8-bit text with a stray NUL next to a line break is no UTF-16: it reaches the engine as it is
      {"int a;\0\nint* p = 0;\n"s, Encoding::None}, {"int ab\n\0int* p = 0;\n"s, Encoding::None},
      // NUL ratios compare strictly (20 bytes: NULs on one side divided by 10): 70 % and 10 % exactly are out
      {NulPattern(20, 0, 8), Encoding::UTF16_LE_NOBOM}, {NulPattern(20, 0, 7), Encoding::None},
      {NulPattern(20, 1, 10), Encoding::None}, {NulPattern(20, 8, 0), Encoding::UTF16_BE_NOBOM},
      {NulPattern(20, 7, 0), Encoding::None}, {NulPattern(20, 10, 1), Encoding::None},
      {NulPattern(101, 2, 45), Encoding::UTF16_LE_NOBOM} /* whole words with an odd tail */};
  // clang-format on
  for (const auto& [bytes, encoding] : cases) EXPECT_EQ(Detect(bytes), encoding) << bytes;
}

// The scan skips whole words of plain ASCII: every position of a long buffer
// must still see a single special byte. A quarter of the units carrying a NUL
// are too few for the NUL ratios alone: the line break decides.
TEST(DetectEncoding, SpecialBytesAreSeenAtEveryPositionAndUtf16BreaksOnlyAtEvenOffsets) {
  for (size_t at = 0; at + 2 <= 80; ++at) {
    std::string text(80, 'x');
    const std::pair<std::string, Encoding> specials[] = {
        {"\xC3\xA9", Encoding::UTF8_NOBOM}, {"\xC0x", Encoding::ANSI}, {"\0x"s, Encoding::None}};
    for (const auto& [special, encoding] : specials) EXPECT_EQ(Detect(text.replace(at, 2, special)), encoding) << at;
  }
  for (size_t at = 0; at + 2 < 32; ++at) {
    std::string text(64, 'A');
    for (size_t nul = 33; nul < 64; nul += 4) text[nul] = '\0';
    text.replace(at, 2, "\n\0"s);
    EXPECT_EQ(Detect(text), at % 2 == 0 ? Encoding::UTF16_LE_NOBOM : Encoding::None) << at;
  }
}

TEST(ConvertFileContent, GivesTheEngineTextOfEachEncoding) {
  const ConversionSettings defaults;
  // bytes, settings, the encoding found, whether converted, the mark's length, the engine's text
  // clang-format off
  const std::tuple<std::string, ConversionSettings, Encoding, bool, uint32_t, std::string> cases[] = {
      // UTF-8 and ASCII pass unchanged without their mark
      {"int x;", defaults, Encoding::ASCII, false, 0, "int x;"},
      {"\xEF\xBB\xBFx", defaults, Encoding::UTF8_BOM, false, 3, "x"},
      // BOM-less UTF-8 is read as ANSI only without auto-detection and with conversion
      {"\xC3\xA9", {true, 0, true}, Encoding::UTF8_NOBOM, false, 0, "\xC3\xA9"},
      {"\xC3\xA9", {false, 0, false}, Encoding::UTF8_NOBOM, false, 0, "\xC3\xA9"},
      {"\xC3\xA9", {false, 0, true}, Encoding::UTF8_NOBOM, true, 0, "\xC3\x83\xC2\xA9"},
      // ANSI is decoded in the settings' code page
      {"caf\xE9!", defaults, Encoding::ANSI, true, 0, "caf\xC3\xA9!"},
      {"\xE9!", {true, 1251, true}, Encoding::ANSI, true, 0, "\xD0\xB9!"},
      {"caf\xE9!", {true, 0, false}, Encoding::ANSI, false, 0, "caf\xE9!"},
      // UTF-16 of either byte order is converted (an odd last byte is dropped)
      {"\xFF\xFE", defaults, Encoding::UTF16_LE_BOM, true, 0, ""},
      {"\xFF\xFE" "a\0\xE9\0!"s, defaults, Encoding::UTF16_LE_BOM, true, 0, "a\xC3\xA9"},
      {"a\0\n\0"s, defaults, Encoding::UTF16_LE_NOBOM, true, 0, "a\n"},
      {"\xFE\xFF\0a\0\xE9!"s, defaults, Encoding::UTF16_BE_BOM, true, 0, "a\xC3\xA9"},
      {"\0a\0\n"s, defaults, Encoding::UTF16_BE_NOBOM, true, 0, "a\n"},
      {"\xFE\xFF\xD8\x3D\xDE\x00"s, defaults, Encoding::UTF16_BE_BOM, true, 0, "\xED\xA0\xBD\xED\xB8\x80"},
      // bytes with NULs that are no UTF-16 are handed on as they are
      {"ab\0cd"s, defaults, Encoding::None, false, 0, "ab\0cd"s}};
  // clang-format on
  for (const auto& [bytes, settings, encoding, converted, bom, text] : cases) {
    const auto got = ConvertFileContent(bytes.data(), bytes.size(), settings);
    EXPECT_EQ(std::tie(got.encoding, got.converted, got.bomLength), std::tie(encoding, converted, bom)) << bytes;
    EXPECT_EQ(*got.content, text) << bytes;
  }
  EXPECT_THROW(ConvertFileContent("caf\xE9!", 5, {true, 987654, true}), std::system_error);  // unknown code page
}

TEST(ConversionSettings, CodePageMattersOnlyWhenBothConvert) {
  const ConversionSettings base{true, 0, true};
  EXPECT_FALSE(ConversionSettingsDiffer(base, base));
  EXPECT_TRUE(ConversionSettingsDiffer(base, {true, 1251, true}));
  EXPECT_TRUE(ConversionSettingsDiffer(base, {false, 0, true}));
  EXPECT_TRUE(ConversionSettingsDiffer(base, {true, 0, false}));
  EXPECT_FALSE(ConversionSettingsDiffer({true, 0, false}, {true, 1251, false}));
}

// Utf16ToUtf8 encodes every unit on its own (the UTF-16 mapper pins that);
// its joined form encodes surrogate pairs as one character.
TEST(Utf8ToUtf16, DecodesItsOwnSurrogateHalvesAndRefusesMalformedInput) {
  EXPECT_EQ(Utf16ToUtf8Joined(u"\U0010FFFFx\u00E9\u20AC\U0001F600"),
            "\xF4\x8F\xBF\xBFx\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  const std::u16string pair = u"x\U0001F600\u00E9";
  const std::string halves = Utf16ToUtf8(pair.data(), pair.size());
  EXPECT_EQ(Utf8ToUtf16(halves.data(), halves.size()), pair);
  for (const std::string bad :
       {"ab\xC3", "\xC0\x80", "\xE0\x80\x80", "\xF4\x90\x80\x80", "\x80", "\xC3\x41", "\xF8\x88\x80\x80\x80"}) {
    EXPECT_THROW(Utf8ToUtf16(bad.data(), bad.size()), std::range_error) << bad;
  }
}

TEST(MakeFileKey, Utf8NamesAreOnlyLowerCasedAndUtf16NamesNormalisedToo) {
  EXPECT_EQ(MakeFileKey(std::string_view("C:/Src/./\xC3\x89X.CPP"), true), "c:/src/./\xC3\x89x.cpp");
  EXPECT_EQ(MakeFileKey(std::string_view("C:/Src/A.CPP"), false), "C:/Src/A.CPP");
#ifdef _WIN32
  EXPECT_EQ(MakeFileKey(std::u16string_view(u"C:/Src/./A.CPP"), true), "c:\\src\\a.cpp");
#else
  EXPECT_EQ(MakeFileKey(std::u16string_view(u"/a/b/../\u00C9/./A.h"), true), "/a/\xC3\x89/a.h");
#endif
  // A name the path library cannot encode still gets a key.
  EXPECT_EQ(MakeFileKey(std::u16string_view(u"A\xD800"), true), "a\xED\xA0\x80");
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
