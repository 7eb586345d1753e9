// Decoding files into the host's UTF-16 text and writing them back.
#include <gtest/gtest.h>

#include "text_codec.h"

namespace zoci {
namespace {

HostText Decoded(const std::string& bytes, DecodeRules rules = {}) {
  std::string error;
  auto text = DecodeHostText(bytes, rules, error);
  EXPECT_TRUE(text) << error;
  return text.value_or(HostText{});
}

// Text of other scripts has few zero bytes: its line breaks tell its byte
// order, as the library tells it.
TEST(TextCodec, BomlessUtf16OfOtherScriptsIsKnownByItsLineBreaks) {
  const std::u16string cjk = u"// 日本語テキスト 中文字符 한국어 ไทย Привет\nint* 名前 = 0;\n";
  for (const bool bigEndian : {false, true}) {
    std::string bytes;
    for (char16_t unit : cjk) {
      const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
      bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    const HostText text = Decoded(bytes);
    EXPECT_EQ(text.text, cjk);
    EXPECT_EQ(EncodingName(text), bigEndian ? "UTF-16BE" : "UTF-16LE");
  }
}

TEST(TextCodec, BomlessUtf8FollowsTheEditorRules) {
  const DecodeRules ansi{false, false, 1252};
  EXPECT_EQ(Decoded("// Gr\303\266\303\237e\n").encoding, FileEncoding::utf8);
  EXPECT_EQ(Decoded("// Gr\303\266\303\237e\n", ansi).text, u"// GrÃ¶ÃŸe\n");
  EXPECT_EQ(Decoded("int a;\n", ansi).encoding, FileEncoding::utf8);  // plain ASCII
  std::string error;
  EXPECT_FALSE(DecodeHostText("\xF6\n", DecodeRules{true, true, 1252}, error));
  EXPECT_NE(error.find("not valid UTF-8"), std::string::npos);
}

TEST(TextCodec, CodePage1252ReadsAndWritesItsUndefinedBytesAsTheLibraryDoes) {
  // 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character in 1252; Windows reads
  // them as the C1 controls of the same value.
  const std::string bytes = "a\x81\x8D\x8F\x90\x9D \xE9\x80\n";
  const HostText text = Decoded(bytes, DecodeRules{false, false, 1252});
  EXPECT_EQ(text.encoding, FileEncoding::ansi);
  EXPECT_EQ(text.text, u"a\u0081\u008D\u008F\u0090\u009D \u00E9\u20AC\n");
  std::string error;
  EXPECT_EQ(EncodeHostText(text.text, text, error), bytes) << error;
  EXPECT_FALSE(EncodeHostText(u"a\u0100", text, error));  // a character the code page lacks, named
  EXPECT_NE(error.find("UTF-16 offset 1"), std::string::npos) << error;
}

TEST(TextCodec, Utf8ConversionRejectsMalformedInput) {
  std::u16string out;
  EXPECT_TRUE(FromUtf8("a\xF0\x9F\x98\x80", out));
  EXPECT_EQ(out, u"a😀");
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\x80", "\xED\xA0\x80", "\xC3", "\x80"}) EXPECT_FALSE(FromUtf8(bad, out));
  EXPECT_EQ(ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace zoci
