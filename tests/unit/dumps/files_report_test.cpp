// The files and cache report and the folder dump: what each record says
// about itself, and the byte-exact texts the dump writes for each.
#include <gtest/gtest.h>

#include <filesystem>

#include "buffers/source_cache.h"
#include "dumps/files_report.h"
#include "dumps/folder_dump.h"
#include "support/temp_dir.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using std::string_literals::operator""s;

// A record whose encoding the settings read otherwise says so; an unknown one knows nothing else.
TEST(FilesReport, RecordsSayWhatTheyAreAndHowTheSettingsReadTheirEncoding) {
  clfile record("m.c", "m.c", "m.c", {8, 0});
  EXPECT_EQ(DescribeRecord(record, {}, RecordDetail::brief),
            "'m.c' ((8 bytes; (modified buffer))) from unknown encoding, clang-side bom -1 (??"
            "?)");
  record.encoding = Encoding::UTF8_NOBOM;
  record.clangSideBom = 0;
  record.modifiedBuffer = record.converted = false;
  EXPECT_EQ(DescribeRecord(record, {false, 0, true}, RecordDetail::brief),
            "'m.c' ((8 bytes; (modified buffer))) from ANSI!!, clang-side bom 0 (mapper only)");
  record.encoding = Encoding::ANSI;
  EXPECT_EQ(DescribeRecord(record, {true, 0, false}, RecordDetail::brief),
            "'m.c' ((8 bytes; (modified buffer))) from ANSI->UTF8_NOBOM!!, clang-side bom 0 (mapper only)");
}

// The report lists converted files, the view's buffers and the files read as
// they are, each with its memory; dumps hold each record's texts as it has
// them, nothing without a folder, and skip the mark after a byte order mark.
TEST(FolderDump, EveryRecordIsReportedAndDumpedWithWhatItHas) {
  zotest::TempDir in, out;
  SourceCache cache;
  CacheView view(cache);
  const std::pair<std::string, std::string> files[] = {{"a.cpp", "\xEF\xBB\xBFint \xC3\xA9;\n"},
                                                       {"b.c", "caf\xE9\n"},
                                                       {"empty.c", ""},
                                                       {"bom.c", "\xEF\xBB\xBF"},
                                                       {"wide.c", "\xFF\xFE"},
                                                       {"zeros.c", "a\0b"s}};
  for (const auto& [name, bytes] : files)
    ASSERT_TRUE(view.GetFile(name, in.Write(name, bytes).string(), FileWanted::anyLoadable));
  EXPECT_EQ(view.GetFile("plain.c", in.Write("plain.c", "int p;").string(), FileWanted::converted), nullptr);
  const auto buffer = cache.AddModifiedBuffer("k.c", "k.c", "k.c", std::make_shared<const std::u16string>());
  view.UseModifiedBuffer(buffer);
  const std::string report = FilesReport(view, ClaimStore());
  const std::string parts[] = {"*** Files ***\n\nConverted:\n * '",
                               " * 'b.c' ((5 bytes; ",
                               ")) from ANSI, clang-side bom 0 (converted) (~",
                               " bytes used)\n\nModified buffers:\n * k.c (0 bytes; ",
                               "\n\nConversion not needed:\n * ",
                               FileKeyOf((in.Path() / "plain.c").string()) + " (6 bytes; ",
                               ") (current)\n\nClaimReplacements tokens:\n\nCache memory usage: "};
  for (const std::string& part : parts) {
    EXPECT_NE(report.find(part), std::string::npos) << part << " in " << report;
  }
  DumpToFolder((out.Path() / "missing").string(), view, "the yaml");
  EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
  DumpToFolder(out.Path().string(), view, "the yaml");
  const std::pair<std::string, std::string> dumped[] = {
      {"a.cpp.3.utf8", "int \xC3\xA9;\n"},
      {"a.cpp.unicode", "i\0n\0t\0 \0\xE9\0;\0\n\0"s},
      {"a.cpp.yaml", "the yaml"},
      {"b.c.0.utf8", "caf\xC3\xA9\n"},
      {"empty.c.0.utf8", ""},
      {"bom.c.3.utf8", ""},
      {"wide.c.0.utf8", ""},
      {"zeros.c.0.utf8", "a\0b"s} /* not "nul.c": a device name on Windows */,
      {"k.c.unicode", ""}};
  for (const auto& [name, bytes] : dumped) EXPECT_EQ(zotest::ReadBytes(out.Path() / name), bytes) << name;
  EXPECT_EQ(zotest::ReadBytes(out.Path() / "a.cpp.mapper"),
            GetRecordMapper(*view.GetFile("a.cpp", (in.Path() / "a.cpp").string(), FileWanted::anyLoadable))->Dump());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.Path()), {}), 7 * 4);
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
