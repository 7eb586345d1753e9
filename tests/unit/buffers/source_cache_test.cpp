// Loading files (retries, the memory of failed paths, the size limit) and the
// source cache: what it must never get wrong about which record a lookup
// answers with, and the values its records produce on first use.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "buffers/file_loading.h"
#include "buffers/lazy.h"
#include "buffers/source_cache.h"
#include "hostlib/zoipc.h"
#include "support/temp_dir.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Platform::OpenOutcome;

class SourceCache : public ::testing::Test {
 protected:
  /// Opens files as usual, but counts the opens of "spied.c" and can replace their outcome.
  FileOpener SpiedOpener() {
    return [this](const std::u16string& opened) {
      if (opened == (dir_.Path() / "spied.c").u16string()) {
        ++opens_;
        if (outcome_) return Platform::OpenResult{*outcome_, Platform::File{}};
      }
      return Platform::OpenForRead(opened);
    };
  }
  /// Opens of "spied.c" since the last call.
  int TakeOpens() { return opens_.exchange(0); }
  static std::shared_ptr<clfile> Get(CacheView& view, const std::filesystem::path& path, FileWanted wanted) {
    return view.GetFile(path.string(), path.string(), wanted);
  }
  std::shared_ptr<clfile> Get(const std::filesystem::path& path, FileWanted wanted = FileWanted::anyLoadable) {
    return Get(view_, path, wanted);
  }
  /// Loads `path` with the spied loader: whether it loaded and how often it was opened.
  std::pair<bool, int> Load(const std::filesystem::path& path) {
    const bool loaded = loader_.Load(path.string(), {}).has_value();
    return {loaded, TakeOpens()};
  }

  zotest::TempDir dir_;
  std::optional<OpenOutcome> outcome_;
  std::atomic<int> opens_{0};
  FileLoader loader_{SpiedOpener()};
  Native::SourceCache cache_{SpiedOpener()};
  CacheView view_{cache_};
};

TEST_F(SourceCache, ASharingViolationGivesUpAtOnceAndFailedPathsAreRemembered) {
  const auto path = dir_.Write("spied.c", "x");
  outcome_ = OpenOutcome::sharingViolation;
  EXPECT_EQ(Load(path), std::make_pair(false, 1));
  // Remembered as failed: a missing file now costs one attempt, no pauses.
  outcome_ = OpenOutcome::notFound;
  EXPECT_EQ(Load(path), std::make_pair(false, 1));
  outcome_.reset();
  EXPECT_EQ(Load(path), std::make_pair(true, 1));
  // Opened once, the path is forgotten: a missing file has the full retry budget again.
  std::filesystem::remove(path);
  EXPECT_EQ(Load(path), std::make_pair(false, 11));
  EXPECT_EQ(Load(path), std::make_pair(false, 1));
  std::filesystem::resize_file(dir_.Write("spied.c", "int z;"), uint64_t{1} << 31);  // sparse: costs no disk
  EXPECT_EQ(Load(path).first, false);  // two gibibytes are too many
}

#if defined(_WIN32)
TEST_F(SourceCache, AnInvalidUtf8PathIsABadConversion) { EXPECT_THROW(loader_.Load("\xC3(", {}), std::range_error); }
#endif

TEST(Lazy, ProducerRunsOnceAndItsResultReplacesAValueSetMeanwhile) {
  int runs = 0;
  lazy<int> value;
  value.set_producer([&] {
    value.set(1);  // the producer's own lazy changes under it
    return ++runs * 10;
  });
  EXPECT_EQ(value.get(), 10);
  EXPECT_EQ(value.get() + runs, 11);  // produced once
}

TEST_F(SourceCache, ARecordIsReusedUntilItsFileChangesOrTheSettingsDo) {
  const auto path = dir_.Write("a.c", "int a;");
  const auto first = Get(path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Get(path), first);
  EXPECT_EQ(first->useCount, 2u);
  // Same size, new last-write time.
  dir_.Write("a.c", "int b;");
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  const auto second = Get(path);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(*second->utf8Text.get(), "int b;");
  EXPECT_EQ(*first->utf8Text.get(), "int a;");  // still valid for its holders
  dir_.Write("a.c", "int bc;");                 // new size
  const auto third = Get(path);
  EXPECT_NE(third, second);
  cache_.UseSettings({});
  EXPECT_EQ(Get(path), third);
  cache_.UseSettings({false, 0, true});
  EXPECT_NE(Get(path), third);
}

TEST_F(SourceCache, FilesReadableAsTheyAreAreNoAnswerForTheEngineAndAreRemembered) {
  const auto path = dir_.Write("spied.c", "int p;");
  EXPECT_EQ(Get(path, FileWanted::converted), nullptr);
  EXPECT_EQ(TakeOpens(), 2);  // facts, then the load
  EXPECT_EQ(Get(path, FileWanted::converted), nullptr);
  EXPECT_EQ(TakeOpens(), 0);  // this view knows it
  CacheView other(cache_);
  EXPECT_EQ(Get(other, path, FileWanted::converted), nullptr);
  EXPECT_EQ(TakeOpens(), 1);  // other views compare the facts only
  // Kept for its mapper, the file still is no answer for the engine.
  EXPECT_EQ(Get(path)->converted, false);
  EXPECT_EQ(Get(other, path, FileWanted::converted), nullptr);
}

// Converted ANSI text itself is pinned end to end; here the remembered
// refusal, and bytes that are no UTF-8 still get their UTF-16 text (each byte
// that leads no sequence stands for itself).
TEST_F(SourceCache, AnsiFilesReachTheEngineOnlyWhenTheViewConvertsThem) {
  const auto path = dir_.Write("ansi.c", "caf\xE9!");
  ASSERT_NE(Get(path, FileWanted::converted), nullptr);
  Native::SourceCache fresh;
  CacheView asUtf8(fresh, {true, 0, false});
  EXPECT_EQ(Get(asUtf8, path, FileWanted::converted), nullptr);
  asUtf8.Inspect([&](const CacheContents& cache) {
    EXPECT_EQ(cache.conversionNotNeeded.count(FileKeyOf(path.string())), 1u);
    EXPECT_EQ(cache.viewConversionNotNeeded.size(), 1u);
  });
  EXPECT_EQ(*Get(asUtf8, path, FileWanted::anyLoadable)->utf16Text.get(), u"caf\u0009!");
}

TEST_F(SourceCache, HostSwitchOffMeansNoneForTheEngineButStillAMapper) {
  const auto path = dir_.Write("wide.c", std::string("\xFF\xFEx\0=\0\xE9\0;\0", 10));
  zoIPC::host::SetConvertToUtf8(false);
  const auto forEngine = Get(path, FileWanted::converted);
  zoIPC::host::SetConvertToUtf8(true);
  EXPECT_EQ(forEngine, nullptr);
  std::shared_ptr<clfile> record;
  EXPECT_EQ(*view_.GetMapper("wide.c", path.string(), &record)->Utf16Text(), u"x=\u00E9;");
  EXPECT_EQ(std::tie(record->converted, record->name), std::make_tuple(std::optional(true), std::string("wide.c")));
}

TEST_F(SourceCache, AModifiedBufferWinsInItsOwnViewOnly) {
  const auto path = dir_.Write("edit.c", "int old;");
  const std::string key = FileKeyOf(path.string());
  const auto buffer =
      cache_.AddModifiedBuffer(key, "edit.c", path.string(), std::make_shared<const std::u16string>(u"int fresh;"));
  view_.UseModifiedBuffer(buffer);
  EXPECT_EQ(Get(path, FileWanted::converted), buffer);
  EXPECT_EQ(*buffer->utf8Text.get(), "int fresh;");
  CacheView other(cache_);
  const auto elsewhere = Get(other, path, FileWanted::anyLoadable);
  EXPECT_EQ(*elsewhere->utf8Text.get(), "int old;");
  view_.Inspect([&](const CacheContents& cache) { EXPECT_EQ(cache.convertedFiles.at(key), elsewhere); });
  EXPECT_EQ(Get(path), buffer);  // still this view's
  cache_.Clear();
  EXPECT_EQ(Get(path), buffer);  // clearing the cache leaves the view's own
  EXPECT_EQ(view_.GetFile("", path.string(), FileWanted::anyLoadable), nullptr);  // a file needs its name
  EXPECT_EQ(Get(dir_.Path() / "missing.c"), nullptr);
}

// Positions after a character outside the BMP must not depend on whether a
// dump (the UTF-16 text) or an inspection (the mapper) came first; both forms
// then share one text.
TEST_F(SourceCache, PositionsDoNotDependOnWhichFormWasMadeFirst) {
  const std::string text = "a\xF0\x9F\x98\x80?;\n";
  const auto textFirst = Get(dir_.Write("t.c", text));
  const auto mapperFirst = Get(dir_.Write("m.c", text));
  EXPECT_EQ(*textFirst->utf16Text.get(), u"a\U0001F600?;\n");
  const auto mapper = GetRecordMapper(*mapperFirst);
  EXPECT_EQ(GetRecordMapper(*mapperFirst), mapper);
  EXPECT_EQ(mapperFirst->utf16Text.get(), mapper->Utf16Text());
  for (const auto& record : {textFirst, mapperFirst}) {
    EXPECT_EQ(GetRecordMapper(*record)->Utf16Text(), record->utf16Text.get()) << record->name;
    uint32_t begin16 = 0, end16 = 0;
    ASSERT_TRUE(GetRecordMapper(*record)->MapSpan(begin16, end16, 5, 6, nullptr, nullptr, Utf8Origin::textStart));
    EXPECT_EQ(std::make_pair(begin16, end16), std::make_pair(3u, 4u)) << record->name;
  }
}

// Several threads look up, fill, replace and clear the same keys at once:
// for the ThreadSanitizer build, where a data race fails the test.
bool Filled(const std::shared_ptr<clfile>& record) { return !record || record->utf8Text.get(); }
bool Valid(const std::shared_ptr<IUtfIndexMapper>& mapper) { return !mapper || mapper->IsValid(); }

TEST_F(SourceCache, ConcurrentLookupsFillsReplacementsAndClears) {
  const std::vector<std::string> paths = {dir_.Write("ascii.c", "int a;\n").string(),
                                          dir_.Write("utf8.c", "int \xC3\xA9;\n").string(),
                                          dir_.Write("ansi.c", "int caf\xE9_;\n").string(),
                                          dir_.Write("wide.c", std::string("\xFF\xFEi\0\n\0", 6)).string()};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      CacheView view(cache_);
      for (int round = 0; round < 150; ++round) {
        const std::string& path = paths[(round + t) % paths.size()];
        switch ((round * 7 + t) % 5) {
          case 0: EXPECT_TRUE(Filled(view.GetFile(path, path, FileWanted::converted))); break;
          case 1: EXPECT_TRUE(Valid(view.GetMapper(path, path))); break;
          case 2: {
            auto record = cache_.AddModifiedBuffer(FileKeyOf(path), path, path,
                                                   std::make_shared<const std::u16string>(u"int m;\n"));
            view.UseModifiedBuffer(record);
            EXPECT_TRUE(GetRecordMapper(*record) != nullptr);
            break;
          }
          case 3:
            if (auto record = view.GetFile(path, path, FileWanted::anyLoadable)) {
              EXPECT_GT(MemoryUsage(*record), 0u);
              view.Inspect([](const CacheContents& seen) { EXPECT_LE(seen.convertedFiles.size(), 4u); });
            }
            break;
          default:
            if (round % 2 == 0) cache_.Clear();
            else cache_.UseSettings({round % 4 == 1, 0, true});
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
