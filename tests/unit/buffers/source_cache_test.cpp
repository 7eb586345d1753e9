// The source cache: what it must never get wrong about which record a lookup
// answers with; and the values its records produce on first use.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <thread>

#include "buffers/lazy.h"
#include "buffers/source_cache.h"
#include "hostlib/zoipc.h"
#include "open_spy.h"
#include "support/clean_cache.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::clfile;

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

class SourceCache : public zotest::CleanCache {
 protected:
  std::shared_ptr<clfile> Get(const std::filesystem::path& path, bool keepUnconverted) {
    return Native::GetFile(path.string(), path.string(), keepUnconverted);
  }

  zotest::TempDir dir_;
};

const std::string kUtf16File("\xFF\xFEx\0=\0\xE9\0;\0", 10);

TEST_F(SourceCache, ARecordIsReusedUntilItsFileChanges) {
  const auto path = dir_.Write("a.c", "int a;");
  const auto first = Get(path, true);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Get(path, true), first);
  EXPECT_EQ(first->useCount, 2u);

  // Same size, new last-write time.
  dir_.Write("a.c", "int b;");
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  const auto second = Get(path, true);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(*second->utf8Text.get(), "int b;");
  EXPECT_EQ(*first->utf8Text.get(), "int a;");  // still valid for its holders

  dir_.Write("a.c", "int bc;");  // new size
  EXPECT_NE(Get(path, true), second);
}

// Dot elements stay in keys: MakeFileKey pins that.
TEST_F(SourceCache, KeysFoldLetterCaseOnlyWhereTheFileSystemDoes) {
  const auto upper = dir_.Write("Same.c", "int upper;");
  const auto lower = dir_.Write("same.c", "int lower;");
  std::filesystem::last_write_time(lower, std::filesystem::last_write_time(upper));
  const auto record = Get(upper, true);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->key, Native::FileKeyOf(upper.string()));
#if defined(_WIN32)
  EXPECT_EQ(Get(lower, true), record);
#else
  const auto other = Get(lower, true);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, record);
  EXPECT_EQ(*record->utf8Text.get(), "int upper;");
  EXPECT_EQ(*other->utf8Text.get(), "int lower;");
#endif
}

TEST_F(SourceCache, EngineModeAnswersNoneForFilesReadableAsTheyAreAndRemembersIt) {
  const auto path = dir_.Write("plain.c", "int p;");
  zotest::OpenSpy spy(path);
  EXPECT_EQ(Get(path, false), nullptr);
  EXPECT_EQ(spy.TakeOpens(), 2);  // facts, then the load
  EXPECT_EQ(Get(path, false), nullptr);
  EXPECT_EQ(spy.TakeOpens(), 0);  // this thread knows it
  std::thread([&] { EXPECT_EQ(Get(path, false), nullptr); }).join();
  EXPECT_EQ(spy.TakeOpens(), 1);  // other threads compare the facts only
  // Kept for its mapper, the file still is no answer for the engine.
  const auto kept = Get(path, true);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->converted, false);
  std::thread([&] { EXPECT_EQ(Get(path, false), nullptr); }).join();
}

// Converted ANSI text itself is pinned end to end; here the remembered refusal.
TEST_F(SourceCache, AnsiFilesReachTheEngineOnlyWhenConverted) {
  const auto path = dir_.Write("ansi.c", "char* s = \"caf\xE9!\";");
  ASSERT_NE(Get(path, false), nullptr);
  Native::ClearCache(Native::CacheScope::processAndThisThread);
  Native::ThreadConversionSettings().convertAnsi = false;
  EXPECT_EQ(Get(path, false), nullptr);
  Native::InspectCache([&](const Native::CacheContents& cache) {
    EXPECT_EQ(cache.conversionNotNeeded.count(Native::MakeFileKey(path.string(), true)), 1u);
    EXPECT_EQ(cache.threadConversionNotNeeded.size(), 1u);
  });
}

TEST_F(SourceCache, HostSwitchOffMeansNoneForTheEngineButStillAMapper) {
  const auto path = dir_.Write("wide.c", kUtf16File);
  zoIPC::host::SetConvertToUtf8(false);
  EXPECT_EQ(Get(path, false), nullptr);
  std::shared_ptr<clfile> record;
  const auto mapper = Native::GetMapper("wide.c", path.string(), &record);
  ASSERT_NE(mapper, nullptr);
  EXPECT_EQ(*mapper->Utf16Text(), u"x=\u00E9;");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->converted, true);
  EXPECT_EQ(record->name, "wide.c");
}

TEST_F(SourceCache, AModifiedBufferWinsOnItsOwnThreadOnly) {
  const auto path = dir_.Write("edit.c", "int old;");
  const std::string key = Native::MakeFileKey(path.string(), true);
  const auto buffer =
      Native::AddModifiedBuffer(key, "edit.c", path.string(), std::make_shared<const std::u16string>(u"int fresh;"));
  Native::UseModifiedBufferOnThisThread(buffer);
  EXPECT_EQ(Get(path, false), buffer);
  EXPECT_EQ(*buffer->utf8Text.get(), "int fresh;");

  std::shared_ptr<clfile> elsewhere;
  std::thread([&] { elsewhere = Get(path, true); }).join();
  ASSERT_NE(elsewhere, nullptr);
  EXPECT_NE(elsewhere, buffer);
  EXPECT_EQ(*elsewhere->utf8Text.get(), "int old;");
  Native::InspectCache([&](const Native::CacheContents& cache) { EXPECT_EQ(cache.convertedFiles.at(key), elsewhere); });
  EXPECT_EQ(Get(path, true), buffer);  // still this thread's
}

TEST_F(SourceCache, TheMapperAndTheUtf16TextShareOneTextWhicheverComesFirst) {
  const auto record = Get(dir_.Write("m.c", "int \xC3\xA9;\n"), true);
  ASSERT_NE(record, nullptr);
  const auto mapper = Native::GetRecordMapper(*record);
  ASSERT_NE(mapper, nullptr);
  EXPECT_EQ(Native::GetRecordMapper(*record), mapper);
  EXPECT_EQ(record->utf16Text.get(), mapper->Utf16Text());
  const auto later = Get(dir_.Write("n.c", "int n;\n"), true);
  const auto utf16 = later->utf16Text.get();
  EXPECT_EQ(*utf16, u"int n;\n");
  EXPECT_EQ(Native::GetRecordMapper(*later)->Utf16Text(), utf16);
}

// Positions after a character outside the BMP must not depend on whether a
// dump (the UTF-16 text) or an inspection (the mapper) came first.
TEST_F(SourceCache, PositionsDoNotDependOnWhichFormWasMadeFirst) {
  const std::string text =
      "a\xF0\x9F\x98\x80"
      "b;\n";
  const auto textFirst = Get(dir_.Write("t.c", text), true);
  const auto mapperFirst = Get(dir_.Write("m.c", text), true);
  ASSERT_NE(textFirst, nullptr);
  ASSERT_NE(mapperFirst, nullptr);
  EXPECT_EQ(*textFirst->utf16Text.get(), u"a\U0001F600b;\n");
  const auto mapper = Native::GetRecordMapper(*mapperFirst);
  ASSERT_NE(mapper, nullptr);
  EXPECT_EQ(mapperFirst->utf16Text.get(), mapper->Utf16Text());
  for (const auto& record : {textFirst, mapperFirst}) {
    uint32_t begin16 = 0, end16 = 0;
    ASSERT_TRUE(Native::GetRecordMapper(*record)->MapSpan(begin16, end16, 5, 6, nullptr, nullptr, false));
    EXPECT_EQ(begin16, 3u) << record->name;
    EXPECT_EQ(end16, 4u) << record->name;
  }
}

TEST_F(SourceCache, UnconvertedBytesThatAreNoUtf8StillGetTheirUtf16Text) {
  // Each byte that leads no sequence stands for itself.
  Native::ThreadConversionSettings().convertAnsi = false;
  const auto record = Get(dir_.Write("latin.c", "caf\xE9!"), true);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(*record->utf16Text.get(), u"caf\u0009!");
}

TEST_F(SourceCache, UnloadableFilesAndEmptyNamesGiveNone) {
  EXPECT_EQ(Native::GetFile("", "x.c", true), nullptr);
  EXPECT_EQ(Get(dir_.Path() / "missing.c", true), nullptr);
}

TEST_F(SourceCache, ClearingKeepsTheThreadsMapsUnlessAsked) {
  const auto path = dir_.Write("clear.c", "int c;");
  const auto buffer = Native::AddModifiedBuffer(Native::MakeFileKey(path.string(), true), "clear.c", path.string(),
                                                std::make_shared<const std::u16string>(u"x"));
  Native::UseModifiedBufferOnThisThread(buffer);
  Native::ClearCache(Native::CacheScope::process);
  EXPECT_EQ(Get(path, true), buffer);
  Native::ClearCache(Native::CacheScope::processAndThisThread);
  EXPECT_NE(Get(path, true), buffer);
}

}  // namespace
