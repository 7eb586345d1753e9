// The comparison's own ground: known bytes of each text form (a mistake made
// alike when writing and reading a form would go unseen by the comparison),
// and generated sources that carry every kind of text they promise.
#include <gtest/gtest.h>

#include <algorithm>

#include "source_generator.h"
#include "text_forms.h"

namespace difftest {
namespace {

TEST(TextForms, EachFormHasItsKnownBytesAndDecodesBack) {
  // "A€😀": one, three and four UTF-8 bytes; one, one and two UTF-16 units.
  const std::u32string sample = U"A\u20AC\U0001F600", western = U"Gr\u00F6\u00DFe \u20AC\u2019";
  const std::string utf8 = "A\xE2\x82\xAC\xF0\x9F\x98\x80", le("A\0\xAC\x20\x3D\xD8\x00\xDE", 8),
                    be("\0A\x20\xAC\xD8\x3D\xDE\x00", 8);
  // clang-format off
  const std::tuple<std::u32string, Form, std::string> table[] = {
      {sample, Form::utf8, utf8},       {sample, Form::utf8Bom, "\xEF\xBB\xBF" + utf8},
      {sample, Form::utf16le, le},      {sample, Form::utf16leBom, "\xFF\xFE" + le},
      {sample, Form::utf16be, be},      {sample, Form::utf16beBom, "\xFE\xFF" + be},
      {western, Form::cp1252, "Gr\xF6\xDF" "e \x80\x92"}};
  // clang-format on
  for (const auto& [text, form, bytes] : table) {
    SCOPED_TRACE(FormName(form));
    EXPECT_EQ(Encode(text, form), bytes);
    EXPECT_EQ(Decode(bytes, form), text);
  }
  // Code page 1252 takes only its own characters and never what reads as UTF-8.
  for (const std::u32string& text : {sample, std::u32string(U"plain"), std::u32string(U"\u00C3\u00A9")})
    EXPECT_EQ(Encode(text, Form::cp1252), std::nullopt);
  EXPECT_EQ(Decode("\x81", Form::cp1252), std::nullopt);  // undefined in 1252
}

// Across the seeds the comparison uses, every kind of real-world text turns up.
TEST(GeneratedSources, CarryTheTextTheyPromise) {
  std::string all;
  for (uint64_t seed = 1; seed <= 200; ++seed) {
    SeededChoices choices(seed);
    const std::string source = GenerateSource(choices, seed % 3 == 0);
    ASSERT_TRUE(DecodeUtf8(source)) << seed;
    // "éé" at the end keeps the code page bytes from reading as UTF-8.
    EXPECT_TRUE(seed % 3 != 0 || Encode(*DecodeUtf8(source) + U"\u00E9\u00E9", Form::cp1252)) << seed;
    all += source + "\n";
  }
  size_t longest = 0, loneCr = 0;
  for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
    end = all.find_first_of("\r\n", start);
    longest = std::max(longest, (end == std::string::npos ? all.size() : end) - start);
    loneCr += end != std::string::npos && all[end] == '\r' && all[end + 1] != '\n';
  }
  EXPECT_GT(longest, 4000u);
  EXPECT_GT(loneCr, 0u);
  for (const std::string& feature : {std::string("\r\n"), std::string("\t"), std::string(1, '\0'), std::string("\xF0"),
                                     std::string("\xE2"), std::string("= NULL;")})
    EXPECT_NE(all.find(feature), std::string::npos) << feature;
}

}  // namespace
}  // namespace difftest
