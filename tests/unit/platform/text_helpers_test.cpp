// The Windows text helpers' semantics. Header extensions, file keys and the
// order of records pin most of them through their callers; what those leave
// open is here.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"

namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;

namespace {

TEST(PathFindExtension, PointsAtTheLastDotAfterTheLastBackslashOrSpaceOrAtTheEnd) {
  const std::vector<std::pair<const char*, size_t>> cases = {
      {"x\\y.c", 3}, {"my file.cpp", 7}, {"abc", 3}, {"dir.d\\", 6}};
  for (const auto& [path, at] : cases) EXPECT_EQ(Platform::PathFindExtension(path), path + at) << path;
}

TEST(StrStrI, FindsSubstringsIgnoringAsciiCaseOnly) {
  const char* text = "Modernize-Use-Using";
  const std::vector<std::tuple<const char*, const char*, const char*>> cases = {{text, "use-USING", text + 10},
                                                                                {text, "modernize", text},
                                                                                {text, "bugprone", nullptr},
                                                                                {text, "", text},
                                                                                {"", "a", nullptr},
                                                                                {"ab", "abc", nullptr},
                                                                                {"\xC3\x89", "\xC3\xA9", nullptr}};
  for (const auto& [haystack, needle, found] : cases) {
    EXPECT_EQ(Platform::StrStrI(haystack, needle), found) << haystack << " / " << needle;
  }
}

TEST(StrICmp, ComparesBytewiseWithAsciiLettersFolded) {
  // Letters fold to lower case, so '_' (0x5F) sorts before 'Z' (as 'z').
  const std::vector<std::tuple<const char*, const char*, int>> cases = {
      {"ABC", "abc", 0}, {"abc", "ABD", -1}, {"ab", "abc", -1}, {"b", "A", 1},
      {"a_", "aZ", -1},  {"_", "a", -1},     {"\xE9", "z", 1}};
  for (const auto& [a, b, sign] : cases) {
    const int result = Platform::StrICmp(a, b);
    EXPECT_EQ((result > 0) - (result < 0), sign) << a << " / " << b;
  }
}

}  // namespace
