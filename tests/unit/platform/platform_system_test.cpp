// Threads, GUIDs, time and code pages. The environment, the module folder and
// a library that does not load are pinned by the interop tests.
#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "hostlib/zoipc.h"
#include "platform/platform.h"

namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;

namespace {

TEST(PlatformThreads, ReportsAThreadThatCannotBeCreated) {
  EXPECT_FALSE(Platform::RunOnNewThread(std::numeric_limits<size_t>::max() / 2, [] {}));
}

// Laid out as the GUID structure lies in memory: the version nibble is in
// byte 7, the third field being little-endian.
TEST(PlatformGuids, AreUniqueVersionFourAndRfcVariant) {
  std::set<Platform::Guid> seen;
  for (int i = 0; i < 1000; ++i) {
    const auto guid = Platform::NewGuid();
    EXPECT_EQ(guid[7] >> 4, 4);
    EXPECT_EQ(guid[8] >> 6, 2);
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

TEST(PlatformTime, WallClockIsInHundredNanosecondTicksSince1970) {
  const int64_t seconds = Platform::WallClockTicks() / 10'000'000;
  EXPECT_NEAR(static_cast<double>(seconds), static_cast<double>(time(nullptr)), 2.0);
}

TEST(PlatformCodePages, DecodeWithTheirTablesAndReplaceUndecodableBytes) {
  const char bytes[] = "caf\xE9 \x80 \x81";  // 0x81 has no character in Windows-1252
  EXPECT_EQ(Platform::AnsiToUtf16(bytes, sizeof(bytes) - 1, 1252), u"caf\u00E9 \u20AC \u0081");
  EXPECT_EQ(Platform::AnsiToUtf16("\x82\xA0x", 3, 932), u"\u3042x");  // HIRAGANA LETTER A, then x
  EXPECT_EQ(Platform::AnsiToUtf16("a\x82", 2, 932), u"a\u30FB");  // a lead byte cut off at the end
}

#if !defined(_WIN32)
// Without the Windows services the host chooses the ANSI code page.
TEST(PlatformCodePages, CodePageZeroIsTheHostsChoice) {
  const char bytes[] = "\xE9";
  EXPECT_EQ(Platform::AnsiToUtf16(bytes, 1, 0), u"\u00E9");
  zoIPC::host::SetAnsiCodePage(1251);
  EXPECT_EQ(Platform::AnsiToUtf16(bytes, 1, 0), u"\u0439");
  zoIPC::host::SetAnsiCodePage(1252);
}
#endif

}  // namespace
