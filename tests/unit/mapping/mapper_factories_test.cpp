// Which mapper each kind of text gets.
#include <gtest/gtest.h>

#include "mapping/mapper_factories.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::Encoding;

namespace {

std::shared_ptr<Native::IUtfIndexMapper> FromUtf16(std::u16string text) {
  return Native::MakeMapperFromUtf16(std::make_shared<const std::u16string>(std::move(text)));
}

std::shared_ptr<Native::IUtfIndexMapper> FromUtf8(std::string text, std::optional<Encoding> encoding) {
  return Native::MakeMapperFromUtf8(std::make_shared<const std::string>(std::move(text)), encoding);
}

TEST(MakeMapperFromUtf16, LittleEndianTextGetsAMapperThatLeavesTheBomOut) {
  auto withBom = FromUtf16(u"\uFEFFab");
  ASSERT_NE(withBom, nullptr);
  EXPECT_EQ(withBom->Utf16View(), u"ab");
  EXPECT_EQ(withBom->Utf16Text()->size(), 3u);
  auto plain = FromUtf16(u"ab\n");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(*plain->Utf8Text(), "ab\n");
}

TEST(MakeMapperFromUtf16, TextNotDetectedAsLittleEndianGetsNone) {
  EXPECT_EQ(FromUtf16(u""), nullptr);              // detected as ASCII
  EXPECT_EQ(FromUtf16(u"\u4E2D\u6587"), nullptr);  // no NUL bytes: ANSI
  EXPECT_EQ(Native::MakeMapperFromUtf16(nullptr), nullptr);
}

TEST(MakeMapperFromUtf8, ChoosesByGivenOrDetectedEncoding) {
  EXPECT_EQ(FromUtf8("int x;", std::nullopt), nullptr);  // ASCII
  ASSERT_NE(FromUtf8("int x;", Encoding::UTF8_NOBOM), nullptr);
  EXPECT_EQ(*FromUtf8("int x;", Encoding::UTF8_NOBOM)->Utf16Text(), u"int x;");
  EXPECT_NE(FromUtf8("\xC3\xA9", std::nullopt), nullptr);
  EXPECT_EQ(FromUtf8("caf\xE9!", std::nullopt), nullptr);
  EXPECT_EQ(FromUtf8("\xFE\xFF\0a", std::nullopt), nullptr);
}

TEST(MakeMapperFromUtf8, Utf16BytesAreReadAsLittleEndianUnits) {
  auto withBom = FromUtf8(std::string("\xFF\xFEx\0\n\0", 6), std::nullopt);
  ASSERT_NE(withBom, nullptr);
  EXPECT_EQ(*withBom->Utf16Text(), u"x\n");
  auto plain = FromUtf8(std::string("x\0\n\0", 4), std::nullopt);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(*plain->Utf8Text(), "x\n");
}

}  // namespace
