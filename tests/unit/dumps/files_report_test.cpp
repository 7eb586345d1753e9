// The files and cache report: exact texts. Nothing here claims fixes, so the
// claim part of the report stays its bare heading.
#include <gtest/gtest.h>

#include <ctime>
#include <iomanip>
#include <sstream>

#include "buffers/source_cache.h"
#include "dumps/files_report.h"
#include "support/clean_cache.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::clfile;
using Native::Encoding;

namespace {

class FilesReport : public zotest::CleanCache {
 protected:
  zotest::TempDir dir_;
};

const std::string kNoClaims = "\nClaimReplacements tokens:\n";

TEST_F(FilesReport, FileInfoTextShowsLocalTimeOrWhyNot) {
  std::tm local{};
  std::istringstream("2020-03-04 05:06:07") >> std::get_time(&local, "%Y-%m-%d %H:%M:%S");
  local.tm_isdst = -1;
  const int64_t time = std::mktime(&local);
  EXPECT_EQ(Native::FileInfoText({1234, time}), "(1234 bytes; 2020-03-04 05:06:07)");
  EXPECT_EQ(Native::FileInfoText({8, 0}), "(8 bytes; (modified buffer))");
}

TEST_F(FilesReport, RecordsSayWhatTheyAreAndHowThisThreadReadsTheirEncoding) {
  clfile buffer("m.c", "m.c", "m.c", {8, 0});
  EXPECT_EQ(Native::DescribeRecord(buffer, false),
            "'m.c' ((8 bytes; (modified buffer))) from unknown encoding, clang-side bom -1 (??"
            "?)");
  buffer.encoding = Encoding::UTF16_LE_NOBOM;
  buffer.clangSideBom = 0;
  buffer.modifiedBuffer = true;
  buffer.converted = true;
  EXPECT_EQ(Native::DescribeRecord(buffer, false),
            "'m.c' ((8 bytes; (modified buffer))) from UTF16_LE_NOBOM, clang-side bom 0 (modified buffer) "
            "(converted)");

  clfile ansi("a.c", "a.c", "a.c", {0, 0});
  ansi.encoding = Encoding::ANSI;
  ansi.clangSideBom = 0;
  ansi.converted = false;
  Native::ThreadConversionSettings().convertAnsi = false;
  EXPECT_EQ(Native::DescribeRecord(ansi, false),
            "'a.c' ((0 bytes; (modified buffer))) from ANSI->UTF8_NOBOM!!, clang-side bom 0 (mapper only)");

  ansi.encoding = Encoding::UTF8_NOBOM;
  Native::ThreadConversionSettings() = {false, 0, true};
  EXPECT_EQ(Native::DescribeRecord(ansi, false),
            "'a.c' ((0 bytes; (modified buffer))) from ANSI!!, clang-side bom 0 (mapper only)");
}

TEST_F(FilesReport, AnEmptyCacheReportsNothingButTheHeadings) {
  EXPECT_EQ(Native::FilesReport(), "*** Files ***\n" + kNoClaims + "\nCache memory usage: 0kb\n");
}

TEST_F(FilesReport, ListsConvertedAndAsIsFilesWithTheirMemory) {
  const auto ansi = dir_.Write("ansi.c", "int caf\xE9_;").string();
  const auto plain = dir_.Write("plain.c", "int p;").string();
  const auto converted = Native::GetFile("ansi.c", ansi, false);
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(Native::GetFile("plain.c", plain, false), nullptr);
  const size_t bytes = Native::MemoryUsage(*converted);
  const std::string plainKey = Native::FileKeyOf(plain);
  std::string plainInfo;
  Native::InspectCache([&](const Native::CacheContents& cache) {
    plainInfo = Native::FileInfoText(cache.conversionNotNeeded.at(plainKey));
  });
  EXPECT_EQ(Native::FilesReport(), std::string("*** Files ***\n") +
                                       "\nConverted:\n"
                                       " * 'ansi.c' (" +
                                       Native::FileInfoText(converted->fileInfo) +
                                       ") from ANSI, clang-side bom 0 (converted) (~" + std::to_string(bytes) +
                                       " bytes used)\n"
                                       "\nConversion not needed:\n"
                                       " * " +
                                       plainKey + " " + plainInfo + " (current)\n" + kNoClaims +
                                       "\nCache memory usage: " + std::to_string(bytes / 1024) + "kb\n");
}

TEST_F(FilesReport, ListsThisThreadsModifiedBuffers) {
  const auto buffer = Native::AddModifiedBuffer("k.c", "k.c", "k.c", std::make_shared<const std::u16string>(u"x"));
  Native::UseModifiedBufferOnThisThread(buffer);
  const size_t bytes = Native::MemoryUsage(*buffer);
  const std::string info = Native::FileInfoText(buffer->fileInfo);
  EXPECT_EQ(Native::FilesReport(), std::string("*** Files ***\n") +
                                       "\nConverted:\n"
                                       " * 'k.c' (" +
                                       info +
                                       ") from UTF16_LE_NOBOM, clang-side bom 0 (modified buffer) (converted) (~" +
                                       std::to_string(bytes) +
                                       " bytes used)\n"
                                       "\nModified buffers:\n"
                                       " * k.c " +
                                       info + " (" + std::to_string(bytes) + " bytes)\n" + kNoClaims +
                                       "\nCache memory usage: " + std::to_string(2 * bytes / 1024) + "kb\n");
}

}  // namespace
