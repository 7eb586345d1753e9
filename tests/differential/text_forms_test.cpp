// The comparison's own ground: known bytes of each text form (a mistake made
// alike when writing and reading a form would go unseen by the comparison).
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace difftest
