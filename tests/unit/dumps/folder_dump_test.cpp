// The folder dump: names and byte-exact contents of what it writes. The
// service's dump into a chosen folder is pinned by zoci's tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "buffers/source_cache.h"
#include "dumps/folder_dump.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;

namespace zotest {
namespace {

class FolderDumpTest : public ::testing::Test {
 protected:
  std::shared_ptr<Native::clfile> Cached(const std::string& name, const std::string& bytes) {
    const std::string file = in.Write(name, bytes).string();
    return view.GetFile(file, file, Native::FileWanted::anyLoadable);
  }
  void Dump(const std::string& yaml, const std::filesystem::path& folder) {
    Native::DumpToFolder(folder.string(), view, yaml);
  }
  std::vector<std::string> DumpedNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out.Path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  TempDir in;
  TempDir out;
  Native::SourceCache cache;
  Native::CacheView view{cache};
};

TEST_F(FolderDumpTest, ARecordWithABomWritesItsTextsExactly) {
  const auto record = Cached("a.cpp", "\xEF\xBB\xBFint \xC3\xA9;\n");
  ASSERT_TRUE(record);
  Dump("the yaml", out.Path());
  EXPECT_EQ(DumpedNames(), (std::vector<std::string>{"a.cpp.3.utf8", "a.cpp.mapper", "a.cpp.unicode", "a.cpp.yaml"}));
  EXPECT_EQ(ReadBytes(out.Path() / "a.cpp.3.utf8"), "int \xC3\xA9;\n");
  EXPECT_EQ(ReadBytes(out.Path() / "a.cpp.unicode"), std::string("i\0n\0t\0 \0\xE9\0;\0\n\0", 14));
  EXPECT_EQ(ReadBytes(out.Path() / "a.cpp.mapper"), Native::GetRecordMapper(*record)->Dump());
  EXPECT_EQ(ReadBytes(out.Path() / "a.cpp.yaml"), "the yaml");
}

TEST_F(FolderDumpTest, AnEmptyCacheAndAnUnwritableFolderWriteNothing) {
  Dump("the yaml", out.Path());
  EXPECT_TRUE(DumpedNames().empty());
  ASSERT_TRUE(Cached("c.c", "caf\xE9\n"));
  Dump("the yaml", out.Path() / "missing");
  EXPECT_TRUE(DumpedNames().empty());
}

// Converted text, files whose text is empty once the mark is gone, files of
// NULs and empty editor buffers: each is dumped with what it has.
TEST_F(FolderDumpTest, FilesAreDumpedWithWhatTheyHave) {
  using std::string_literals::operator""s;
  const std::pair<std::string, std::string> files[] = {
      {"b.c", "caf\xE9\n"}, {"empty.c", ""}, {"bom.c", "\xEF\xBB\xBF"}, {"wide.c", "\xFF\xFE"}, {"zeros.c", "a\0b"s}};
  for (const auto& [name, bytes] : files) ASSERT_TRUE(Cached(name, bytes)) << name;
  const std::string buffer = (in.Path() / "unsaved.c").string();
  cache.AddModifiedBuffer(Native::FileKeyOf(buffer), buffer, buffer, std::make_shared<const std::u16string>());
  Dump("", out.Path());
  EXPECT_EQ(ReadBytes(out.Path() / "b.c.0.utf8"), "caf\xC3\xA9\n");
  EXPECT_EQ(ReadBytes(out.Path() / "b.c.yaml"), "");
  EXPECT_EQ(ReadBytes(out.Path() / "empty.c.0.utf8"), "");
  EXPECT_EQ(ReadBytes(out.Path() / "bom.c.3.utf8"), "");
  EXPECT_EQ(ReadBytes(out.Path() / "wide.c.0.utf8"), "");
  EXPECT_EQ(ReadBytes(out.Path() / "zeros.c.0.utf8"), "a\0b"s);  // not "nul.c": a device name on Windows
  EXPECT_EQ(ReadBytes(out.Path() / "unsaved.c.unicode"), "");
  EXPECT_EQ(DumpedNames().size(), 6u * 4u);
}

}  // namespace
}  // namespace zotest
