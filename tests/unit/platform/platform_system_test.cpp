// Threads, GUIDs, time, environment, code pages and modules.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "hostlib/zoipc.h"
#include "interop/engine_interface.h"
#include "platform/platform.h"

namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;

namespace {

// Touches about `bytes` of stack, so it overflows a smaller stack.
[[gnu::noinline]] size_t UseStack(size_t bytes) {
  volatile char block[1 << 20];
  std::memset(const_cast<char*>(block), 1, sizeof(block));
  if (bytes <= sizeof(block)) return block[0];
  return block[100] + UseStack(bytes - sizeof(block));
}

TEST(PlatformThreads, RunsTheBodyOnAThreadWithTheRequestedStack) {
  size_t used = 0;
  ASSERT_TRUE(Platform::RunOnNewThread(32u << 20, [&] { used = UseStack(20u << 20); }));
  EXPECT_GT(used, 0u);
}

TEST(PlatformThreads, ReportsAThreadThatCannotBeCreated) {
  EXPECT_FALSE(Platform::RunOnNewThread(size_t{1} << 62, [] {}));
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

TEST(PlatformCodePages, CodePageZeroIsTheHostsChoice) {
  const char bytes[] = "\xE9";
  EXPECT_EQ(Platform::AnsiToUtf16(bytes, 1, 0), u"\u00E9");
  zoIPC::host::SetAnsiCodePage(1251);
  EXPECT_EQ(Platform::AnsiToUtf16(bytes, 1, 0), u"\u0439");
  zoIPC::host::SetAnsiCodePage(1252);
}

TEST(PlatformCodePages, DecodesMultibyteAndReplacesUndecodableBytes) {
  const char sjis[] = "\x82\xA0x";  // HIRAGANA LETTER A, then x
  EXPECT_EQ(Platform::AnsiToUtf16(sjis, 3, 932), u"\u3042x");
  const char broken[] = "a\x82";  // a lead byte cut off at the end
  EXPECT_EQ(Platform::AnsiToUtf16(broken, 2, 932), u"a?");
}

TEST(PlatformCodePages, AnUnknownCodePageIsAnError) {
  EXPECT_THROW(Platform::AnsiToUtf16("a", 1, 99999), std::system_error);
}

TEST(PlatformModules, ModuleFolderIsTheFolderOfThisProgram) {
  const auto self = std::filesystem::canonical("/proc/self/exe");
  EXPECT_EQ(Platform::ModuleFolder(), self.parent_path().string() + "/");
}

std::string TestEngineFolder() {
  const char* bin = getenv("ZOCI_TEST_BIN");
  const std::filesystem::path base =
      bin != nullptr ? std::filesystem::path(bin) : std::filesystem::canonical("/proc/self/exe").parent_path();
  return (base.parent_path() / "testengine").string() + "/";
}

TEST(PlatformModules, OpensALibraryAndFindsItsSymbols) {
  auto library = Platform::OpenLibrary(TestEngineFolder() + Platform::SharedLibraryName("zolibclang2"));
  ASSERT_NE(library.handle, nullptr) << library.error;
  EXPECT_NE(Platform::FindSymbol(library.handle, "_ZN5clang4tidy9clangtidyEv"), nullptr);
  EXPECT_EQ(Platform::FindSymbol(library.handle, "no_such_symbol"), nullptr);
}

TEST(PlatformModules, AMissingLibraryExplainsWhy) {
  auto library = Platform::OpenLibrary("/nonexistent/libnothing.so");
  EXPECT_EQ(library.handle, nullptr);
  EXPECT_NE(library.error.find("libnothing.so"), std::string::npos);
}

TEST(PlatformFolderChooser, UsesTheHostsChooserAndNoneMeansCancelled) {
  EXPECT_FALSE(Platform::ChooseFolder("Select output folder...").has_value());
  std::string seenTitle;
  zoIPC::host::SetFolderChooser([&](const std::string& title) -> std::optional<std::string> {
    seenTitle = title;
    return "/tmp/dump";
  });
  EXPECT_EQ(Platform::ChooseFolder("Select output folder..."), "/tmp/dump");
  EXPECT_EQ(seenTitle, "Select output folder...");
  zoIPC::host::SetFolderChooser(nullptr);
}

}  // namespace
