// Threads, GUIDs, time, environment, code pages and modules.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <set>

#include "hostlib/zoipc.h"
#include "interop/engine_interface.h"
#include "platform/platform.h"
#include "support/program_folder.h"

namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;

namespace {

TEST(PlatformThreads, ReportsAThreadThatCannotBeCreated) {
  EXPECT_FALSE(Platform::RunOnNewThread(std::numeric_limits<size_t>::max() / 2, [] {}));
}

TEST(PlatformGuids, AreUniqueVersionFourAndRfcVariant) {
  std::set<Quillfern::ZoCodeInspections::Native::Guid> seen;
  for (int i = 0; i < 1000; ++i) {
    const auto guid = Platform::NewGuid();
    EXPECT_EQ(guid[6] >> 4, 4);
    EXPECT_EQ(guid[8] >> 6, 2);
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

TEST(PlatformTime, WallClockIsInHundredNanosecondTicksSince1970) {
  const int64_t seconds = Platform::WallClockTicks() / 10'000'000;
  EXPECT_NEAR(static_cast<double>(seconds), static_cast<double>(time(nullptr)), 2.0);
}

TEST(PlatformTime, LocalTimeConvertsSeconds) {
  const auto tm = Platform::LocalTime(86400 * 365);
  ASSERT_TRUE(tm.has_value());
  EXPECT_EQ(tm->tm_year, 71);
}

TEST(PlatformEnvironment, SetsAndReadsVariables) {
  Platform::SetEnvironment("ZOCI_TEST_VARIABLE", "a value");
  EXPECT_EQ(Platform::GetEnvironment("ZOCI_TEST_VARIABLE"), "a value");
  EXPECT_STREQ(getenv("ZOCI_TEST_VARIABLE"), "a value");
  EXPECT_FALSE(Platform::GetEnvironment("ZOCI_TEST_VARIABLE_NEVER_SET").has_value());
}

TEST(PlatformCodePages, DecodesWindows1252WithItsOwnTable) {
  const char bytes[] = "caf\xE9 \x80 \x81";
  EXPECT_EQ(Platform::AnsiToUtf16(bytes, sizeof(bytes) - 1, 1252), u"caf\u00E9 \u20AC \u0081");
}

TEST(PlatformCodePages, DecodesMultibyteAndReplacesUndecodableBytes) {
  const char sjis[] = "\x82\xA0x";  // HIRAGANA LETTER A, then x
  EXPECT_EQ(Platform::AnsiToUtf16(sjis, 3, 932), u"\u3042x");
  const char broken[] = "a\x82";  // a lead byte cut off at the end: the default character
  EXPECT_EQ(Platform::AnsiToUtf16(broken, 2, 932), u"a\u30FB");
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

TEST(PlatformCodePages, AnUnknownCodePageIsAnError) {
  EXPECT_THROW(Platform::AnsiToUtf16("a", 1, 99999), std::system_error);
}

TEST(PlatformModules, ModuleFolderIsTheFolderOfThisProgram) {
  EXPECT_EQ(Platform::ModuleFolder(), (zotest::ProgramFolder() / "").string());
}

TEST(PlatformModules, AMissingLibraryExplainsWhy) {
  const std::string name = Platform::SharedLibraryName("nothing");
  auto library = Platform::OpenLibrary(zotest::TestEngineFolder() + name);
  EXPECT_EQ(library.handle, nullptr);
  EXPECT_NE(library.error.find(name), std::string::npos) << library.error;
}

}  // namespace
