// The files and cache report: exact texts. Nothing here claims fixes, so the
// claim part of the report stays its bare heading.
#include <gtest/gtest.h>

#include <ctime>
#include <iomanip>
#include <sstream>

#include "buffers/source_cache.h"
#include "dumps/files_report.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
using Native::clfile;
using Native::Encoding;

namespace {

const std::string kNoClaims = "\nClaimReplacements tokens:\n";

TEST(FilesReport, FileInfoTextShowsLocalTimeOrWhyNot) {
  std::tm local{};
  std::istringstream("2020-03-04 05:06:07") >> std::get_time(&local, "%Y-%m-%d %H:%M:%S");
  local.tm_isdst = -1;
  EXPECT_EQ(Native::FileInfoText({1234, std::mktime(&local)}), "(1234 bytes; 2020-03-04 05:06:07)");
  EXPECT_EQ(Native::FileInfoText({8, 0}), "(8 bytes; (modified buffer))");
}

TEST(FilesReport, RecordsSayWhatTheyAreAndHowTheSettingsReadTheirEncoding) {
  struct Case {
    std::optional<Encoding> encoding;
    bool buffer;
    Native::ConversionSettings settings;
    std::string description;
  };
  const std::string unknown =
      "(??"
      "?)";
  const Case cases[] = {
      {std::nullopt, false, {}, "unknown encoding, clang-side bom -1 " + unknown},
      {Encoding::UTF16_LE_NOBOM, true, {}, "UTF16_LE_NOBOM, clang-side bom 0 (modified buffer) (converted)"},
      {Encoding::ANSI, false, {true, 0, false}, "ANSI->UTF8_NOBOM!!, clang-side bom 0 (mapper only)"},
      {Encoding::UTF8_NOBOM, false, {false, 0, true}, "ANSI!!, clang-side bom 0 (mapper only)"},
      {Encoding::UTF8_NOBOM, false, {}, "UTF8_NOBOM, clang-side bom 0 (mapper only)"},
  };
  for (const Case& c : cases) {
    clfile record("m.c", "m.c", "m.c", {8, 0});
    record.encoding = c.encoding;
    if (c.encoding) {
      record.clangSideBom = 0;
      record.modifiedBuffer = c.buffer;
      record.converted = c.buffer;
    }
    EXPECT_EQ(Native::DescribeRecord(record, c.settings, Native::RecordDetail::brief),
              "'m.c' ((8 bytes; (modified buffer))) from " + c.description);
  }
}

TEST(FilesReport, AnEmptyCacheReportsNothingButTheHeadings) {
  Native::SourceCache cache;
  EXPECT_EQ(Native::FilesReport(Native::CacheView(cache), Native::ClaimStore()),
            "*** Files ***\n" + kNoClaims + "\nCache memory usage: 0kb\n");
}

TEST(FilesReport, ListsConvertedAndAsIsFilesAndTheViewsBuffersWithTheirMemory) {
  zotest::TempDir dir;
  Native::SourceCache cache;
  Native::CacheView view(cache);
  const auto ansi = dir.Write("ansi.c", "int caf\xE9_;").string();
  const auto plain = dir.Write("plain.c", "int p;").string();
  const auto converted = view.GetFile("ansi.c", ansi, Native::FileWanted::converted);
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(view.GetFile("plain.c", plain, Native::FileWanted::converted), nullptr);
  const auto buffer = cache.AddModifiedBuffer("k.c", "k.c", "k.c", std::make_shared<const std::u16string>(u"x"));
  view.UseModifiedBuffer(buffer);
  const std::string plainKey = Native::FileKeyOf(plain);
  std::string plainInfo;
  view.Inspect([&](const Native::CacheContents& contents) {
    plainInfo = Native::FileInfoText(contents.conversionNotNeeded.at(plainKey));
  });
  const size_t bytes = Native::MemoryUsage(*converted);
  const size_t bufferBytes = Native::MemoryUsage(*buffer);
  const std::string bufferInfo = Native::FileInfoText(buffer->fileInfo);
  const std::string report = Native::FilesReport(view, Native::ClaimStore());
  const std::string convertedLines[] = {
      " * 'ansi.c' (" + Native::FileInfoText(converted->fileInfo) + ") from ANSI, clang-side bom 0 (converted) (~" +
          std::to_string(bytes) + " bytes used)\n",
      " * 'k.c' (" + bufferInfo + ") from UTF16_LE_NOBOM, clang-side bom 0 (modified buffer) (converted) (~" +
          std::to_string(bufferBytes) + " bytes used)\n"};
  const bool ansiFirst = report.find(" * 'ansi.c'") < report.find(" * 'k.c'");
  EXPECT_EQ(report, "*** Files ***\n\nConverted:\n" + convertedLines[ansiFirst ? 0 : 1] +
                        convertedLines[ansiFirst ? 1 : 0] + "\nModified buffers:\n * k.c " + bufferInfo + " (" +
                        std::to_string(bufferBytes) + " bytes)\n\nConversion not needed:\n * " + plainKey + " " +
                        plainInfo + " (current)\n" + kNoClaims +
                        "\nCache memory usage: " + std::to_string((bytes + 2 * bufferBytes) / 1024) + "kb\n");
}

}  // namespace
