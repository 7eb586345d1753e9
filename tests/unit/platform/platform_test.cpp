// The platform layer: files and memory mapping, threads, GUIDs, time, code
// pages and the text helpers. The environment, the module folder and a
// library that does not load are pinned by the interop tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>

#include "hostlib/zoipc.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace Quillfern::ZoCodeInspections::Native::Platform {
namespace {

// Missing files are pinned by the loader's retries; a folder is no file.
TEST(PlatformFiles, OpensAndMapsAFileButNoFolderOrEmptyFile) {
  zotest::TempDir dir;
  auto opened = OpenForRead(dir.Write("a.txt", "hello\nworld").u16string());
  ASSERT_EQ(opened.outcome, OpenOutcome::ok);
  // Moved handles and views stay usable.
  File moved = std::move(opened.file);
  auto view = MapReadOnly(moved, 11);
  MappedView movedView = std::move(view);
  EXPECT_FALSE(view.IsMapped());
  EXPECT_EQ(std::string(movedView.Data(), movedView.Size()), "hello\nworld");
  EXPECT_EQ(OpenForRead(dir.Path().u16string()).outcome, OpenOutcome::otherError);
  auto empty = OpenForRead(dir.Write("empty", "").u16string());
  ASSERT_EQ(empty.outcome, OpenOutcome::ok);
  EXPECT_FALSE(MapReadOnly(empty.file, 0).IsMapped());
  std::ofstream(dir.Path() / std::filesystem::path(u8"\u00E9t\u00E9\u4E2D.c")) << "x";
  EXPECT_EQ(OpenForRead(dir.Path().u16string() + u"/\u00E9t\u00E9\u4E2D.c").outcome, OpenOutcome::ok);
}

#if !defined(_WIN32)
// An editor or a build may rewrite a file while it is loaded; the bytes of a
// file that shrank are what it still holds, never a fault of the process.
// Path bytes that are no UTF-8 round-trip.
TEST(PlatformFiles, AFileThatShrinksWhileLoadedGivesWhatItStillHoldsAndPathBytesRoundTrip) {
  zotest::TempDir dir;
  const auto path = dir.Write("shrinks.c", std::string(3 * 4096, 'x'));
  auto opened = OpenForRead(path.u16string());
  ASSERT_EQ(opened.outcome, OpenOutcome::ok);
  std::filesystem::resize_file(path, 5);
  auto view = MapReadOnly(opened.file, 3 * 4096);
  ASSERT_TRUE(view.IsMapped());
  EXPECT_EQ(std::string(view.Data(), view.Size()), "xxxxx");
  const std::u16string units = PathToUtf16(dir.Write("caf\xE9\xC3(\x80.c", "x").string());
  EXPECT_EQ(units.substr(units.size() - 9), u"caf\xDCE9\xDCC3(\xDC80.c");
  EXPECT_EQ(OpenForRead(units).outcome, OpenOutcome::ok);
  EXPECT_EQ(PathToUtf16("\xC3\xA9"), u"\u00E9");
  // After a stray byte, U+10000 (whose high half is 0xD800) and U+1F600 read sequence by sequence.
  const std::string astral = "\xE9\xF0\x90\x80\x80\xF0\x9F\x98\x80.c";
  EXPECT_EQ(PathToUtf16(astral), u"\xDCE9\U00010000\U0001F600.c");
  EXPECT_EQ(OpenForRead(PathToUtf16(dir.Write(astral, "x").string())).outcome, OpenOutcome::ok);
}

// Without the Windows services the host chooses the ANSI code page.
TEST(PlatformCodePages, CodePageZeroIsTheHostsChoice) {
  EXPECT_EQ(AnsiToUtf16("\xE9", 1, 0), u"\u00E9");
  zoIPC::host::SetAnsiCodePage(1251);
  EXPECT_EQ(AnsiToUtf16("\xE9", 1, 0), u"\u0439");
  zoIPC::host::SetAnsiCodePage(1252);
}
#endif

TEST(PlatformCodePages, DecodeWithTheirTablesAndReplaceUndecodableBytes) {
  EXPECT_EQ(AnsiToUtf16("caf\xE9 \x80 \x81", 8, 1252), u"caf\u00E9 \u20AC \u0081");  // 0x81 is undefined in 1252
  EXPECT_EQ(AnsiToUtf16("\x82\xA0x", 3, 932), u"\u3042x");  // HIRAGANA LETTER A, then x
  EXPECT_EQ(AnsiToUtf16("a\x82", 2, 932), u"a\u30FB");      // a lead byte cut off at the end
}

// GUIDs are laid out as the structure lies in memory: the version nibble is
// in byte 7, the third field being little-endian.
TEST(PlatformSystem, ThreadsThatCannotBeMadeGuidsAndTheWallClock) {
  EXPECT_FALSE(RunOnNewThread(std::numeric_limits<size_t>::max() / 2, [] {}));
  std::set<Guid> seen;
  for (int i = 0; i < 1000; ++i) seen.insert(NewGuid());
  EXPECT_EQ(seen.size(), 1000u);
  for (const Guid& guid : seen) EXPECT_EQ(std::make_pair(guid[7] >> 4, guid[8] >> 6), std::make_pair(4, 2));
  // In hundred-nanosecond ticks since 1970.
  EXPECT_NEAR(static_cast<double>(WallClockTicks() / 10'000'000), static_cast<double>(time(nullptr)), 2.0);
}

// Extensions are pinned through the header test; these fold ASCII only.
TEST(TextHelpers, StrStrIAndStrICmpFoldAsciiLettersOnly) {
  const char* text = "Modernize-Use-Using";
  // clang-format off
  const std::tuple<const char*, const char*, const char*> found[] = {
      {text, "use-USING", text + 10}, {text, "bugprone", nullptr}, {text, "", text}, {"", "a", nullptr},
      {"ab", "abc", nullptr}, {"\xC3\x89", "\xC3\xA9", nullptr}};
  // '_' (0x5F) sorts before 'Z' folded to 'z'
  const std::tuple<const char*, const char*, int> compared[] = {
      {"ABC", "abc", 0}, {"abc", "ABD", -1}, {"ab", "abc", -1}, {"b", "A", 1}, {"a_", "aZ", -1}, {"\xE9", "z", 1}};
  // clang-format on
  for (const auto& [haystack, needle, at] : found) EXPECT_EQ(StrStrI(haystack, needle), at) << needle;
  for (const auto& [a, b, sign] : compared) EXPECT_EQ(std::clamp(StrICmp(a, b), -1, 1), sign) << a << " / " << b;
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native::Platform
