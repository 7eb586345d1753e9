// Files and memory mapping through the platform layer.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "support/temp_dir.h"

namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;
using Platform::OpenOutcome;

namespace {

std::u16string U16(const std::filesystem::path& path) { return path.u16string(); }

TEST(PlatformFiles, OpensReadsSizeTimeAndMapsAFile) {
  zotest::TempDir dir;
  const auto file = dir.Write("a.txt", "hello\nworld");
  using namespace std::chrono;
  const sys_seconds written{seconds{1'000'000'000}};  // 2001-09-09 01:46:40 UTC
  std::filesystem::last_write_time(file, file_clock::from_sys(written));
  auto opened = Platform::OpenForRead(U16(file));
  ASSERT_EQ(opened.outcome, OpenOutcome::ok);
  EXPECT_EQ(opened.file.Size(), 11u);
  EXPECT_EQ(opened.file.LastWriteTime(), 1'000'000'000);
  auto view = Platform::MapReadOnly(opened.file, 11);
  ASSERT_TRUE(view.IsMapped());
  EXPECT_EQ(std::string(view.Data(), view.Size()), "hello\nworld");
}

// Missing files are pinned by the loader's retries; a folder is no file.
TEST(PlatformFiles, AFolderIsAnotherErrorAndAnEmptyFileIsNotMapped) {
  zotest::TempDir dir;
  EXPECT_EQ(Platform::OpenForRead(U16(dir.Path())).outcome, OpenOutcome::otherError);
  auto opened = Platform::OpenForRead(U16(dir.Write("empty", "")));
  ASSERT_EQ(opened.outcome, OpenOutcome::ok);
  EXPECT_FALSE(Platform::MapReadOnly(opened.file, 0).IsMapped());
}

TEST(PlatformFiles, NonAsciiPathsOpen) {
  zotest::TempDir dir;
  const auto file = dir.Path() / std::filesystem::path(u8"\u00E9t\u00E9\u4E2D.c");
  std::ofstream(file) << "x";
  const std::u16string path = U16(dir.Path()) + u"/\u00E9t\u00E9\u4E2D.c";
  EXPECT_EQ(Platform::OpenForRead(path).outcome, OpenOutcome::ok);
}

TEST(PlatformFiles, MovedHandlesAndViewsStayUsable) {
  zotest::TempDir dir;
  auto opened = Platform::OpenForRead(U16(dir.Write("m.txt", "abc")));
  Platform::File file = std::move(opened.file);
  EXPECT_FALSE(opened.file.IsOpen());
  auto view = Platform::MapReadOnly(file, 3);
  Platform::MappedView moved = std::move(view);
  EXPECT_FALSE(view.IsMapped());
  EXPECT_EQ(std::string(moved.Data(), 3), "abc");
}

}  // namespace

#if !defined(_WIN32)
// An editor or a build may rewrite a file while it is loaded; the bytes of a
// file that shrank are what it still holds, never a fault of the process.
TEST(PlatformFiles, AFileThatShrinksWhileLoadedGivesWhatItStillHolds) {
  zotest::TempDir dir;
  const auto path = dir.Write("shrinks.c", std::string(3 * 4096, 'x'));
  auto opened = Platform::OpenForRead(U16(path));
  ASSERT_EQ(opened.outcome, OpenOutcome::ok);
  std::filesystem::resize_file(path, 5);
  auto view = Platform::MapReadOnly(opened.file, 3 * 4096);
  ASSERT_TRUE(view.IsMapped());
  EXPECT_EQ(std::string(view.Data(), view.Size()), "xxxxx");
}

TEST(PlatformFiles, PathBytesThatAreNoUtf8RoundTrip) {
  zotest::TempDir dir;
  const std::string name = "caf\xE9\xC3(\x80.c";
  const auto path = dir.Write(name, "x");
  const std::u16string units = Platform::PathToUtf16(path.string());
  EXPECT_EQ(units.substr(units.size() - 9), u"caf\xDCE9\xDCC3(\xDC80.c");
  EXPECT_EQ(Platform::OpenForRead(units).outcome, OpenOutcome::ok);
  EXPECT_EQ(Platform::PathToUtf16("\xC3\xA9"), u"\u00E9");
}
#endif
