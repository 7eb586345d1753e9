// Loading files: retries, the memory of failed paths and the size limit.
#include <gtest/gtest.h>

#include <filesystem>

#include "buffers/file_loading.h"
#include "open_spy.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using OpenOutcome = Native::Platform::OpenOutcome;

namespace {

class LoadFile : public ::testing::Test {
 protected:
  /// Loads `path` and returns whether it loaded and how often it was opened.
  std::pair<bool, int> Load(zotest::OpenSpy& spy, const std::filesystem::path& path) {
    const bool loaded = loader_.Load(path.string(), {}).has_value();
    return {loaded, spy.TakeOpens()};
  }

  zotest::TempDir dir_;
  zotest::OpenSpy spy_{dir_.Path() / "file.c"};
  Native::FileLoader loader_{spy_.Opener()};
};

TEST_F(LoadFile, ASharingViolationGivesUpAtOnceAndIsRemembered) {
  const auto path = dir_.Write("file.c", "x");
  spy_.SetOutcome(OpenOutcome::sharingViolation);
  EXPECT_EQ(Load(spy_, path), std::make_pair(false, 1));
  // Remembered as failed: a missing file now costs one attempt, no pauses.
  spy_.SetOutcome(OpenOutcome::notFound);
  EXPECT_EQ(Load(spy_, path), std::make_pair(false, 1));
  spy_.SetOutcome(std::nullopt);
  EXPECT_EQ(Load(spy_, path), std::make_pair(true, 1));
}

TEST_F(LoadFile, AMissingFileRetriesOnlyUntilItIsRememberedAsFailed) {
  const auto path = dir_.Path() / "file.c";
  EXPECT_EQ(Load(spy_, path), std::make_pair(false, 11));
  EXPECT_EQ(Load(spy_, path), std::make_pair(false, 1));
  dir_.Write("file.c", "int y;");
  EXPECT_EQ(Load(spy_, path), std::make_pair(true, 1));
  // Opened once, the path is forgotten: the full retry budget applies again.
  std::filesystem::remove(path);
  EXPECT_EQ(Load(spy_, path), std::make_pair(false, 11));
}

TEST_F(LoadFile, FilesOfTwoGibibytesAreRefused) {
  const auto path = dir_.Write("file.c", "int z;");
  std::filesystem::resize_file(path, uint64_t{1} << 31);  // sparse: costs no disk
  EXPECT_EQ(Load(spy_, path).first, false);
}

#if defined(_WIN32)
TEST_F(LoadFile, AnInvalidUtf8PathIsABadConversion) { EXPECT_THROW(loader_.Load("\xC3(", {}), std::range_error); }
#else
// A path is bytes here: a Latin-1 name is a name like any other.
TEST_F(LoadFile, PathsThatAreNoUtf8AreBytes) {
  const auto loaded = loader_.Load(dir_.Write("caf\xE9\xC3(.c", "int k;").string(), {});
  ASSERT_TRUE(loaded);
  EXPECT_EQ(*loaded->content, "int k;");
}
#endif

}  // namespace
