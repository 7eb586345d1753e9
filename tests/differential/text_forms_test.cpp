// The comparison's own ground: known bytes of each text form (a mistake made
// alike when writing and reading a form would go unseen by the comparison),
// and generated sources that carry every kind of text they promise.
#include <gtest/gtest.h>

#include "source_generator.h"
#include "text_forms.h"

namespace difftest {
namespace {

// "A€😀": one, three and four UTF-8 bytes; one, one and two UTF-16 units.
const std::u32string kSample = U"A\u20AC\U0001F600";

struct KnownForm {
  Form form;
  std::string bytes;
};

TEST(TextForms, EachFormHasItsKnownBytesAndDecodesBack) {
  const std::vector<KnownForm> table = {
      {Form::utf8, "A\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {Form::utf8Bom,
       "\xEF\xBB\xBF"
       "A\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {Form::utf16le, std::string("A\0\xAC\x20\x3D\xD8\x00\xDE", 8)},
      {Form::utf16leBom, std::string("\xFF\xFE"
                                     "A\0\xAC\x20\x3D\xD8\x00\xDE",
                                     10)},
      {Form::utf16be, std::string("\0A\x20\xAC\xD8\x3D\xDE\x00", 8)},
      {Form::utf16beBom, std::string("\xFE\xFF\0A\x20\xAC\xD8\x3D\xDE\x00", 10)},
  };
  for (const KnownForm& known : table) {
    SCOPED_TRACE(FormName(known.form));
    EXPECT_EQ(Encode(kSample, known.form), known.bytes);
    EXPECT_EQ(Decode(known.bytes, known.form), kSample);
  }
}

TEST(TextForms, CodePage1252TakesOnlyItsOwnCharactersAndNeverValidUtf8) {
  EXPECT_EQ(Encode(U"Gr\u00F6\u00DFe \u20AC\u2019", Form::cp1252),
            "Gr\xF6\xDF"
            "e \x80\x92");
  EXPECT_EQ(Decode("Gr\xF6\xDF"
                   "e \x80\x92",
                   Form::cp1252),
            U"Gr\u00F6\u00DFe \u20AC\u2019");
  EXPECT_EQ(Encode(kSample, Form::cp1252), std::nullopt);        // no emoji in 1252
  EXPECT_EQ(Encode(U"plain", Form::cp1252), std::nullopt);       // ASCII: the UTF-8 form again
  EXPECT_EQ(Encode(U"\u00C3\u00A9", Form::cp1252), std::nullopt);  // its bytes C3 A9 read as UTF-8 "é"
  EXPECT_EQ(Decode("\x81", Form::cp1252), std::nullopt);         // undefined in 1252
}

TEST(GeneratedSources, CarryTheTextTheyPromise) {
  // Across the seeds the comparison uses, every kind of real-world text turns up.
  const std::vector<std::pair<const char*, std::string>> features = {{"CR LF", "\r\n"},
                                                                     {"tab", "\t"},
                                                                     {"NUL", std::string(1, '\0')},
                                                                     {"4-byte character", "\xF0"},
                                                                     {"3-byte character", "\xE2"},
                                                                     {"NULL macro", "= NULL;"}};
  std::string all;
  size_t loneCr = 0, longLines = 0;
  for (uint64_t seed = 1; seed <= 200; ++seed) {
    SeededChoices choices(seed);
    const std::string source = GenerateSource(choices, seed % 3 == 0);
    ASSERT_TRUE(DecodeUtf8(source)) << seed;
    // "éé" at the end keeps the code page bytes from reading as UTF-8.
    if (seed % 3 == 0) {
      EXPECT_TRUE(Encode(*DecodeUtf8(source) + U"\u00E9\u00E9", Form::cp1252)) << seed;
    }
    for (size_t at = source.find('\r'); at != std::string::npos; at = source.find('\r', at + 1)) {
      loneCr += at + 1 < source.size() && source[at + 1] != '\n';
    }
    size_t lineStart = 0;
    for (size_t at = 0; at <= source.size(); ++at) {
      if (at == source.size() || source[at] == '\n' || source[at] == '\r') {
        longLines += at - lineStart > 4000;
        lineStart = at + 1;
      }
    }
    all += source;
  }
  for (const auto& [name, bytes] : features) EXPECT_NE(all.find(bytes), std::string::npos) << name;
  EXPECT_GT(loneCr, 0u);
  EXPECT_GT(longLines, 0u);
}

}  // namespace
}  // namespace difftest
