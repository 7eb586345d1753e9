// The source cache: what it must never get wrong about which record a lookup
// answers with; and the values its records produce on first use.
#include <gtest/gtest.h>

#include <filesystem>

#include "buffers/lazy.h"
#include "buffers/source_cache.h"
#include "hostlib/zoipc.h"
#include "open_spy.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::clfile;
using Native::FileWanted;

namespace {

TEST(Lazy, ProducerRunsOnceAndItsResultReplacesAValueSetMeanwhile) {
  int runs = 0;
  Native::lazy<int> value;
  value.set_producer([&] {
    value.set(1);  // the producer's own lazy changes under it
    return ++runs * 10;
  });
  EXPECT_EQ(value.get(), 10);
  EXPECT_EQ(value.get(), 10);
  EXPECT_EQ(runs, 1);
}

class SourceCache : public ::testing::Test {
 protected:
  static std::shared_ptr<clfile> Get(Native::CacheView& view, const std::filesystem::path& path, FileWanted wanted) {
    return view.GetFile(path.string(), path.string(), wanted);
  }
  std::shared_ptr<clfile> Get(const std::filesystem::path& path, FileWanted wanted = FileWanted::anyLoadable) {
    return Get(view_, path, wanted);
  }

  zotest::TempDir dir_;
  zotest::OpenSpy spy_{dir_.Path() / "spied.c"};
  Native::SourceCache cache_{spy_.Opener()};
  Native::CacheView view_{cache_};
};

TEST_F(SourceCache, ARecordIsReusedUntilItsFileChanges) {
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

  dir_.Write("a.c", "int bc;");  // new size
  EXPECT_NE(Get(path), second);
}

// Dot elements stay in keys: MakeFileKey pins that.
TEST_F(SourceCache, KeysFoldLetterCaseOnlyWhereTheFileSystemDoes) {
  const auto upper = dir_.Write("Same.c", "int upper;");
  const auto lower = dir_.Write("same.c", "int lower;");
  std::filesystem::last_write_time(lower, std::filesystem::last_write_time(upper));
  const auto record = Get(upper);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->key, Native::FileKeyOf(upper.string()));
#if defined(_WIN32)
  EXPECT_EQ(Get(lower), record);
#else
  const auto other = Get(lower);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(*record->utf8Text.get(), "int upper;");
  EXPECT_EQ(*other->utf8Text.get(), "int lower;");
#endif
}

TEST_F(SourceCache, FilesReadableAsTheyAreAreNoAnswerForTheEngineAndAreRemembered) {
  const auto path = dir_.Write("spied.c", "int p;");
  EXPECT_EQ(Get(path, FileWanted::converted), nullptr);
  EXPECT_EQ(spy_.TakeOpens(), 2);  // facts, then the load
  EXPECT_EQ(Get(path, FileWanted::converted), nullptr);
  EXPECT_EQ(spy_.TakeOpens(), 0);  // this view knows it
  Native::CacheView other(cache_);
  EXPECT_EQ(Get(other, path, FileWanted::converted), nullptr);
  EXPECT_EQ(spy_.TakeOpens(), 1);  // other views compare the facts only
  // Kept for its mapper, the file still is no answer for the engine.
  const auto kept = Get(path);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->converted, false);
  EXPECT_EQ(Get(other, path, FileWanted::converted), nullptr);
}

// Converted ANSI text itself is pinned end to end; here the remembered refusal.
TEST_F(SourceCache, AnsiFilesReachTheEngineOnlyWhenTheViewConvertsThem) {
  const auto path = dir_.Write("ansi.c", "char* s = \"caf\xE9!\";");
  ASSERT_NE(Get(path, FileWanted::converted), nullptr);
  Native::SourceCache fresh;
  Native::CacheView asUtf8(fresh, {true, 0, false});
  EXPECT_EQ(Get(asUtf8, path, FileWanted::converted), nullptr);
  asUtf8.Inspect([&](const Native::CacheContents& cache) {
    EXPECT_EQ(cache.conversionNotNeeded.count(Native::FileKeyOf(path.string())), 1u);
    EXPECT_EQ(cache.viewConversionNotNeeded.size(), 1u);
  });
}

TEST_F(SourceCache, ChangedSettingsEmptyTheCacheAndTheSameOnesKeepIt) {
  const auto path = dir_.Write("s.c", "int s;");
  cache_.UseSettings({});
  const auto first = Get(path);
  cache_.UseSettings({});
  EXPECT_EQ(Get(path), first);
  cache_.UseSettings({false, 0, true});
  EXPECT_NE(Get(path), first);
}

TEST_F(SourceCache, HostSwitchOffMeansNoneForTheEngineButStillAMapper) {
  const auto path = dir_.Write("wide.c", std::string("\xFF\xFEx\0=\0\xE9\0;\0", 10));
  zoIPC::host::SetConvertToUtf8(false);
  const auto forEngine = Get(path, FileWanted::converted);
  zoIPC::host::SetConvertToUtf8(true);
  EXPECT_EQ(forEngine, nullptr);
  std::shared_ptr<clfile> record;
  const auto mapper = view_.GetMapper("wide.c", path.string(), &record);
  ASSERT_NE(mapper, nullptr);
  EXPECT_EQ(*mapper->Utf16Text(), u"x=\u00E9;");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->converted, true);
  EXPECT_EQ(record->name, "wide.c");
}

TEST_F(SourceCache, AModifiedBufferWinsInItsOwnViewOnly) {
  const auto path = dir_.Write("edit.c", "int old;");
  const std::string key = Native::FileKeyOf(path.string());
  const auto buffer =
      cache_.AddModifiedBuffer(key, "edit.c", path.string(), std::make_shared<const std::u16string>(u"int fresh;"));
  view_.UseModifiedBuffer(buffer);
  EXPECT_EQ(Get(path, FileWanted::converted), buffer);
  EXPECT_EQ(*buffer->utf8Text.get(), "int fresh;");

  Native::CacheView other(cache_);
  const auto elsewhere = Get(other, path, FileWanted::anyLoadable);
  ASSERT_NE(elsewhere, nullptr);
  EXPECT_EQ(*elsewhere->utf8Text.get(), "int old;");
  view_.Inspect([&](const Native::CacheContents& cache) { EXPECT_EQ(cache.convertedFiles.at(key), elsewhere); });
  EXPECT_EQ(Get(path), buffer);  // still this view's
  cache_.Clear();
  EXPECT_EQ(Get(path), buffer);  // clearing the cache leaves the view's own
}

// Positions after a character outside the BMP must not depend on whether a
// dump (the UTF-16 text) or an inspection (the mapper) came first; both forms
// then share one text.
TEST_F(SourceCache, PositionsDoNotDependOnWhichFormWasMadeFirst) {
  const std::string text =
      "a\xF0\x9F\x98\x80"
      "b;\n";
  const auto textFirst = Get(dir_.Write("t.c", text));
  const auto mapperFirst = Get(dir_.Write("m.c", text));
  ASSERT_NE(textFirst, nullptr);
  ASSERT_NE(mapperFirst, nullptr);
  EXPECT_EQ(*textFirst->utf16Text.get(), u"a\U0001F600b;\n");
  const auto mapper = Native::GetRecordMapper(*mapperFirst);
  ASSERT_NE(mapper, nullptr);
  EXPECT_EQ(Native::GetRecordMapper(*mapperFirst), mapper);
  EXPECT_EQ(mapperFirst->utf16Text.get(), mapper->Utf16Text());
  for (const auto& record : {textFirst, mapperFirst}) {
    EXPECT_EQ(Native::GetRecordMapper(*record)->Utf16Text(), record->utf16Text.get()) << record->name;
    uint32_t begin16 = 0, end16 = 0;
    ASSERT_TRUE(Native::GetRecordMapper(*record)->MapSpan(begin16, end16, 5, 6, nullptr, nullptr,
                                                          Native::Utf8Origin::textStart));
    EXPECT_EQ(begin16, 3u) << record->name;
    EXPECT_EQ(end16, 4u) << record->name;
  }
}

TEST_F(SourceCache, UnconvertedBytesThatAreNoUtf8StillGetTheirUtf16Text) {
  // Each byte that leads no sequence stands for itself.
  Native::CacheView asUtf8(cache_, {true, 0, false});
  const auto record = Get(asUtf8, dir_.Write("latin.c", "caf\xE9!"), FileWanted::anyLoadable);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(*record->utf16Text.get(), u"caf\u0009!");
}

TEST_F(SourceCache, UnloadableFilesAndEmptyNamesGiveNone) {
  EXPECT_EQ(view_.GetFile("", "x.c", FileWanted::anyLoadable), nullptr);
  EXPECT_EQ(Get(dir_.Path() / "missing.c"), nullptr);
}

}  // namespace
