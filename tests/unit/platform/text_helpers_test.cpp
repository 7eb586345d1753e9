// The Windows text helpers' semantics.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;

namespace {

std::string Extension(const char* path) { return Platform::PathFindExtension(path); }

TEST(PathFindExtension, FindsTheLastDotAfterTheLastBackslashOrSpace) {
  EXPECT_EQ(Extension("C:\\src\\A.H"), ".H");
  EXPECT_EQ(Extension("a.tar.gz"), ".gz");
  EXPECT_EQ(Extension("C:\\inc.h\\Makefile"), "");
  EXPECT_EQ(Extension("file. h"), "");
  EXPECT_EQ(Extension("my file.cpp"), ".cpp");
  EXPECT_EQ(Extension(""), "");
  EXPECT_EQ(Extension("noext"), "");
  EXPECT_EQ(Extension("dir.d\\"), "");
}

TEST(PathFindExtension, ForwardSlashesDoNotSeparate) {
  EXPECT_EQ(Extension("/src/inc.h/Makefile"), ".h/Makefile");
}

TEST(PathFindExtension, PointsIntoThePathOrAtItsEnd) {
  const char* path = "x\\y.c";
  EXPECT_EQ(Platform::PathFindExtension(path), path + 3);
  const char* bare = "abc";
  EXPECT_EQ(Platform::PathFindExtension(bare), bare + 3);
}

TEST(StrStrI, FindsSubstringsIgnoringAsciiCase) {
  const char* text = "Modernize-Use-Using";
  EXPECT_EQ(Platform::StrStrI(text, "use-USING"), text + 10);
  EXPECT_EQ(Platform::StrStrI(text, "modernize"), text);
  EXPECT_EQ(Platform::StrStrI(text, "bugprone"), nullptr);
  EXPECT_EQ(Platform::StrStrI(text, ""), text);
  EXPECT_EQ(Platform::StrStrI("", "a"), nullptr);
  EXPECT_EQ(Platform::StrStrI("ab", "abc"), nullptr);
}

TEST(StrStrI, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(Platform::StrStrI("\xC3\x89", "\xC3\xA9"), nullptr);
}

TEST(StrICmp, ComparesBytewiseWithAsciiLettersFolded) {
  EXPECT_EQ(Platform::StrICmp("ABC", "abc"), 0);
  EXPECT_LT(Platform::StrICmp("abc", "ABD"), 0);
  EXPECT_LT(Platform::StrICmp("ab", "abc"), 0);
  EXPECT_GT(Platform::StrICmp("b", "A"), 0);
  // Letters fold to lower case, so '_' (0x5F) sorts before 'Z' (as 'z').
  EXPECT_LT(Platform::StrICmp("a_", "aZ"), 0);
  EXPECT_LT(Platform::StrICmp("_", "a"), 0);
  EXPECT_GT(Platform::StrICmp("\xE9", "z"), 0);
}

TEST(AsciiLower, LowersOnlyAToZ) {
  EXPECT_EQ(Platform::AsciiLower("C:\\Src\\\xC3\x89.CPP"), "c:\\src\\\xC3\x89.cpp");
}

}  // namespace
