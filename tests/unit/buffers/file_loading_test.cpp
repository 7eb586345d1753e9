// Loading files: retries, the memory of failed paths, the size limit, and
// detection with the loading thread's settings.
#include <gtest/gtest.h>

#include <filesystem>

#include "buffers/file_loading.h"
#include "platform/platform.h"
#include "open_spy.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
namespace Platform = Native::Platform;
using Native::Encoding;

namespace {

std::optional<Native::LoadedFile> Load(const std::filesystem::path& path) {
  return Native::LoadFile(path.string());
}

TEST(LoadFile, ReturnsTheEngineTextOfEachEncoding) {
  zotest::TempDir dir;
  auto empty = Load(dir.Write("empty.c", ""));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->encoding, Encoding::ASCII);
  EXPECT_EQ(*empty->content, "");
  EXPECT_FALSE(empty->converted);

  auto bom = Load(dir.Write("bom.c", "\xEF\xBB\xBFint x;"));
  ASSERT_TRUE(bom);
  EXPECT_EQ(*bom->content, "int x;");
  EXPECT_EQ(bom->bomLength, 3u);

  auto utf16 = Load(dir.Write("w.c", std::string("\xFF\xFEx\0", 4)));
  ASSERT_TRUE(utf16);
  EXPECT_TRUE(utf16->converted);
  EXPECT_EQ(utf16->bomLength, 0u);
  EXPECT_EQ(*utf16->content, "x");

  EXPECT_FALSE(Load(dir.Write("be.c", std::string("\xFE\xFF\0x", 4))));

  auto binary = Load(dir.Write("b.bin", std::string("\0\1\2", 3)));
  ASSERT_TRUE(binary);
  EXPECT_EQ(binary->encoding, Encoding::None);
  EXPECT_TRUE(binary->converted);
}

TEST(LoadFile, UsesTheLoadingThreadsConversionSettings) {
  zotest::TempDir dir;
  const auto path = dir.Write("ansi.c", "caf\xE9!");
  Native::ThreadConversionSettings().convertAnsi = false;
  auto asIs = Load(path);
  Native::ThreadConversionSettings() = {};
  ASSERT_TRUE(asIs);
  EXPECT_FALSE(asIs->converted);
  EXPECT_EQ(*asIs->content, "caf\xE9!");
  EXPECT_EQ(*Load(path)->content, "caf\xC3\xA9!");
}

TEST(LoadFile, SharingViolationGivesUpAtOnceAndIsRemembered) {
  zotest::TempDir dir;
  const auto path = dir.Write("locked.c", "x");
  zotest::OpenSpy spy(path, Platform::OpenOutcome::sharingViolation);
  EXPECT_FALSE(Load(path));
  EXPECT_EQ(spy.TakeOpens(), 1);
  // Remembered as failed: a missing file now costs one attempt, no pauses.
  spy.SetOutcome(Platform::OpenOutcome::notFound);
  EXPECT_FALSE(Load(path));
  EXPECT_EQ(spy.TakeOpens(), 1);
  spy.SetOutcome(std::nullopt);
  EXPECT_TRUE(Load(path));
  EXPECT_EQ(spy.TakeOpens(), 1);
}

TEST(LoadFile, MissingFileRetriesOnlyUntilItIsRememberedAsFailed) {
  zotest::TempDir dir;
  const auto path = dir.Path() / "later.c";
  zotest::OpenSpy spy(path, std::nullopt);
  EXPECT_FALSE(Load(path));
  EXPECT_EQ(spy.TakeOpens(), 11);
  EXPECT_FALSE(Load(path));
  EXPECT_EQ(spy.TakeOpens(), 1);
  dir.Write("later.c", "int y;");
  ASSERT_TRUE(Load(path));
  // Opened once, the path is forgotten: the full retry budget applies again.
  std::filesystem::remove(path);
  EXPECT_FALSE(Load(path));
  EXPECT_EQ(spy.TakeOpens(), 12);
}

TEST(LoadFile, RefusesFilesOfTwoGibibytes) {
  zotest::TempDir dir;
  const auto path = dir.Write("huge.c", "int z;");
  std::filesystem::resize_file(path, uint64_t{1} << 31);  // sparse: costs no disk
  EXPECT_FALSE(Load(path));
}

TEST(LoadFile, InvalidUtf8PathIsABadConversion) {
  EXPECT_THROW(Native::LoadFile("\xC3("), std::range_error);
}

}  // namespace
