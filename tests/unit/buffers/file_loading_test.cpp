// Loading files: retries, the memory of failed paths and the size limit.
#include <gtest/gtest.h>

#include <filesystem>

#include "buffers/file_loading.h"
#include "open_spy.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
namespace Platform = Native::Platform;

namespace {

std::optional<Native::LoadedFile> Load(const std::filesystem::path& path) { return Native::LoadFile(path.string()); }

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

#if defined(_WIN32)
TEST(LoadFile, InvalidUtf8PathIsABadConversion) { EXPECT_THROW(Native::LoadFile("\xC3("), std::range_error); }
#else
// A path is bytes here: a Latin-1 name is a name like any other.
TEST(LoadFile, PathsThatAreNoUtf8AreBytes) {
  zotest::TempDir dir;
  const auto path = dir.Write("caf\xE9\xC3(.c", "int k;");
  const auto loaded = Native::LoadFile(path.string());
  ASSERT_TRUE(loaded);
  EXPECT_EQ(*loaded->content, "int k;");
}
#endif

}  // namespace
