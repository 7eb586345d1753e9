// The files and cache report (exact texts; nothing here claims fixes, so the
// claim part stays its bare heading) and the folder dump: names and
// byte-exact contents of what it writes. The service's dump into a chosen
// folder is pinned by zoci's tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <sstream>

#include "buffers/source_cache.h"
#include "dumps/files_report.h"
#include "dumps/folder_dump.h"
#include "support/temp_dir.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using std::string_literals::operator""s;
const std::string kNoClaims = "\nClaimReplacements tokens:\n";

class Dumps : public ::testing::Test {
 protected:
  std::shared_ptr<clfile> Cached(const std::string& name, const std::string& bytes, FileWanted wanted) {
    const std::string file = in.Write(name, bytes).string();
    return view.GetFile(name, file, wanted);
  }
  std::vector<std::string> DumpedNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out.Path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Dumped(const std::string& name) const { return zotest::ReadBytes(out.Path() / name); }

  zotest::TempDir in, out;
  SourceCache cache;
  CacheView view{cache};
};

TEST(FilesReport, RecordsSayWhatTheyAreAndHowTheSettingsReadTheirEncoding) {
  std::tm local{};
  std::istringstream("2020-03-04 05:06:07") >> std::get_time(&local, "%Y-%m-%d %H:%M:%S");
  local.tm_isdst = -1;
  EXPECT_EQ(FileInfoText({1234, std::mktime(&local)}), "(1234 bytes; 2020-03-04 05:06:07)");
  const std::string unknown =
      "(??"
      "?)";
  const std::tuple<std::optional<Encoding>, bool, ConversionSettings, std::string> cases[] = {
      {std::nullopt, false, {}, "unknown encoding, clang-side bom -1 " + unknown},
      {Encoding::UTF16_LE_NOBOM, true, {}, "UTF16_LE_NOBOM, clang-side bom 0 (modified buffer) (converted)"},
      {Encoding::ANSI, false, {true, 0, false}, "ANSI->UTF8_NOBOM!!, clang-side bom 0 (mapper only)"},
      {Encoding::UTF8_NOBOM, false, {false, 0, true}, "ANSI!!, clang-side bom 0 (mapper only)"},
      {Encoding::UTF8_NOBOM, false, {}, "UTF8_NOBOM, clang-side bom 0 (mapper only)"}};
  for (const auto& [encoding, buffer, settings, description] : cases) {
    clfile record("m.c", "m.c", "m.c", {8, 0});
    record.encoding = encoding;
    if (encoding) {  // an unknown record knows nothing else either
      record.clangSideBom = 0;
      record.modifiedBuffer = record.converted = buffer;
    }
    EXPECT_EQ(DescribeRecord(record, settings, RecordDetail::brief),
              "'m.c' ((8 bytes; (modified buffer))) from " + description);
  }
}

TEST_F(Dumps, TheReportListsConvertedAndAsIsFilesAndTheViewsBuffersWithTheirMemory) {
  EXPECT_EQ(FilesReport(view, ClaimStore()), "*** Files ***\n" + kNoClaims + "\nCache memory usage: 0kb\n");
  const auto converted = Cached("ansi.c", "int caf\xE9_;", FileWanted::converted);
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(Cached("plain.c", "int p;", FileWanted::converted), nullptr);
  const auto buffer = cache.AddModifiedBuffer("k.c", "k.c", "k.c", std::make_shared<const std::u16string>(u"x"));
  view.UseModifiedBuffer(buffer);
  const std::string plainKey = FileKeyOf((in.Path() / "plain.c").string());
  std::string plainInfo;
  view.Inspect(
      [&](const CacheContents& contents) { plainInfo = FileInfoText(contents.conversionNotNeeded.at(plainKey)); });
  const std::string bytes = std::to_string(MemoryUsage(*converted)), bufferBytes = std::to_string(MemoryUsage(*buffer));
  const std::string bufferInfo = FileInfoText(buffer->fileInfo);
  const std::string report = FilesReport(view, ClaimStore());
  std::string lines[] = {" * 'ansi.c' (" + FileInfoText(converted->fileInfo) +
                             ") from ANSI, clang-side bom 0 (converted) (~" + bytes + " bytes used)\n",
                         " * 'k.c' (" + bufferInfo +
                             ") from UTF16_LE_NOBOM, clang-side bom 0 (modified buffer) "
                             "(converted) (~" +
                             bufferBytes + " bytes used)\n"};
  if (report.find(" * 'ansi.c'") > report.find(" * 'k.c'")) std::swap(lines[0], lines[1]);
  EXPECT_EQ(report, "*** Files ***\n\nConverted:\n" + lines[0] + lines[1] + "\nModified buffers:\n * k.c " +
                        bufferInfo + " (" + bufferBytes + " bytes)\n\nConversion not needed:\n * " + plainKey + " " +
                        plainInfo + " (current)\n" + kNoClaims + "\nCache memory usage: " +
                        std::to_string((MemoryUsage(*converted) + 2 * MemoryUsage(*buffer)) / 1024) + "kb\n");
}

TEST_F(Dumps, ARecordWithABomWritesItsTextsExactlyAndNothingIsWrittenWithoutRecordsOrFolder) {
  DumpToFolder(out.Path().string(), view, "the yaml");
  EXPECT_TRUE(DumpedNames().empty());
  const auto record = Cached("a.cpp", "\xEF\xBB\xBFint \xC3\xA9;\n", FileWanted::anyLoadable);
  ASSERT_TRUE(record);
  DumpToFolder((out.Path() / "missing").string(), view, "the yaml");
  EXPECT_TRUE(DumpedNames().empty());
  DumpToFolder(out.Path().string(), view, "the yaml");
  EXPECT_EQ(DumpedNames(), (std::vector<std::string>{"a.cpp.3.utf8", "a.cpp.mapper", "a.cpp.unicode", "a.cpp.yaml"}));
  EXPECT_EQ(Dumped("a.cpp.3.utf8"), "int \xC3\xA9;\n");
  EXPECT_EQ(Dumped("a.cpp.unicode"), "i\0n\0t\0 \0\xE9\0;\0\n\0"s);
  EXPECT_EQ(Dumped("a.cpp.mapper"), GetRecordMapper(*record)->Dump());
  EXPECT_EQ(Dumped("a.cpp.yaml"), "the yaml");
}

// Converted text, files whose text is empty once the mark is gone, files of
// NULs and empty editor buffers: each is dumped with what it has.
TEST_F(Dumps, FilesAreDumpedWithWhatTheyHave) {
  const std::pair<std::string, std::string> files[] = {
      {"b.c", "caf\xE9\n"}, {"empty.c", ""}, {"bom.c", "\xEF\xBB\xBF"}, {"wide.c", "\xFF\xFE"}, {"zeros.c", "a\0b"s}};
  for (const auto& [name, bytes] : files) ASSERT_TRUE(Cached(name, bytes, FileWanted::anyLoadable)) << name;
  const std::string buffer = (in.Path() / "unsaved.c").string();
  cache.AddModifiedBuffer(FileKeyOf(buffer), buffer, buffer, std::make_shared<const std::u16string>());
  DumpToFolder(out.Path().string(), view, "");
  const std::pair<std::string, std::string> dumped[] = {
      {"b.c.0.utf8", "caf\xC3\xA9\n"}, {"b.c.yaml", ""},
      {"empty.c.0.utf8", ""},          {"bom.c.3.utf8", ""},
      {"wide.c.0.utf8", ""},           {"zeros.c.0.utf8", "a\0b"s} /* not "nul.c": a device name on Windows */,
      {"unsaved.c.unicode", ""}};
  for (const auto& [name, bytes] : dumped) EXPECT_EQ(Dumped(name), bytes) << name;
  EXPECT_EQ(DumpedNames().size(), 6u * 4u);
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
