// Reading sources (regular files only, within a size limit) and replacing a
// file's content the way a careful editor saves it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "file_io.h"
#include "file_replace.h"
#include "support/temp_dir.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;

TEST(ReadFileBytes, RefusesWhatIsNoRegularFileOrTooLargeWithoutWaiting) {
  zotest::TempDir dir;
  const fs::path fifo = dir.Path() / "f.cpp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // opening it would wait for a writer forever
  dir.Write("big.cpp", std::string(1000, ' '));
  struct Case {
    fs::path path;
    uint64_t limit;
    const char* says;
  };
  const Case cases[] = {{fifo, kDefaultMaxFileBytes, "a FIFO"},
                        {dir.Path(), kDefaultMaxFileBytes, "a folder"},
                        {"/dev/zero", kDefaultMaxFileBytes, "a device"},
                        {dir.Path() / "big.cpp", 999, "larger than the source size limit"},
                        {dir.Path() / "none.cpp", kDefaultMaxFileBytes, "No such file"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string bytes, error;
    EXPECT_FALSE(ReadFileBytes(c.path, bytes, error, c.limit));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  std::string bytes, error;
  EXPECT_TRUE(ReadFileBytes(dir.Path() / "big.cpp", bytes, error, 1000)) << error;
  EXPECT_EQ(bytes.size(), 1000u);
  EXPECT_FALSE(IsReadableSource(fifo, error));
  EXPECT_TRUE(IsReadableSource(dir.Path() / "big.cpp", error));
  EXPECT_TRUE(IsReadableSource(dir.Path() / "none.cpp", error));  // the compiler says it is missing
}

TEST(ReadStreamBytes, StopsAtTheLimit) {
  std::istringstream in(std::string(3000, 'x'));
  std::string bytes, error;
  EXPECT_FALSE(ReadStreamBytes(in, "standard input", bytes, error, 2999));
  EXPECT_NE(error.find("standard input"), std::string::npos);
  std::istringstream again(std::string(3000, 'x'));
  EXPECT_TRUE(ReadStreamBytes(again, "standard input", bytes, error, 3000));
  EXPECT_EQ(bytes.size(), 3000u);
}

void Overwrite(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

size_t EntriesIn(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

/// One way a file can be reached or dressed, and what must hold after it is fixed.
struct Dressing {
  const char* name;
  std::function<fs::path(const fs::path& file)> prepare;  ///< the path zoci is given
  std::function<void(const fs::path& file, const fs::path& given)> check;
};

TEST(ReplaceFileContent, WritesTheNamedFileAndKeepsWhatItIs) {
  const Dressing dressings[] = {
      {"symbolic link",
       [](const fs::path& file) {
         fs::create_symlink(file.filename(), file.parent_path() / "link.cpp");
         return file.parent_path() / "link.cpp";
       },
       [](const fs::path&, const fs::path& given) { EXPECT_TRUE(fs::is_symlink(given)); }},
      {"hard link",
       [](const fs::path& file) {
         fs::create_hard_link(file, file.parent_path() / "other.cpp");
         return file;
       },
       [](const fs::path& file, const fs::path&) {
         EXPECT_EQ(fs::hard_link_count(file), 2u);
         EXPECT_EQ(zotest::ReadBytes(file.parent_path() / "other.cpp"), "new");
       }},
      {"mode",
       [](const fs::path& file) {
         fs::permissions(file, fs::perms(0640));
         return file;
       },
       [](const fs::path& file, const fs::path&) { EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640)); }},
      {"extended attribute",
       [](const fs::path& file) {
         if (setxattr(file.c_str(), "user.origin", "x", 1, 0) != 0) return fs::path();  // not supported here
         return file;
       },
       [](const fs::path& file, const fs::path&) {
         char value[4] = {};
         EXPECT_EQ(getxattr(file.c_str(), "user.origin", value, sizeof value), 1);
       }},
      {"owner (as root)",
       [](const fs::path& file) {
         if (geteuid() != 0 || chown(file.c_str(), 65534, 65534) != 0) return fs::path();
         return file;
       },
       [](const fs::path& file, const fs::path&) {
         struct stat info{};
         ASSERT_EQ(stat(file.c_str(), &info), 0);
         EXPECT_EQ(info.st_uid, 65534u);
         EXPECT_EQ(info.st_gid, 65534u);
       }},
  };
  for (const Dressing& dressing : dressings) {
    SCOPED_TRACE(dressing.name);
    zotest::TempDir dir;
    const fs::path file = dir.Write("t.cpp", "old");
    const fs::path given = dressing.prepare(file);
    if (given.empty()) continue;
    const size_t entries = EntriesIn(dir.Path());
    std::string error;
    ASSERT_TRUE(ReplaceFileContent(given.string(), "new", "old", error)) << error;
    EXPECT_EQ(zotest::ReadBytes(file), "new");
    EXPECT_EQ(EntriesIn(dir.Path()), entries);  // no temporary left, no link replaced by a copy
    dressing.check(file, given);
  }
}

/// Saves by another program landing just before the last look at the file.
struct ConcurrentSave {
  const char* name;
  std::function<void(const fs::path& file)> save;
  bool fileRemains;
};

TEST(ReplaceFileContent, AConcurrentSaveBeforeTheLastCheckIsNeverOverwritten) {
  const ConcurrentSave saves[] = {
      {"in place", [](const fs::path& file) { Overwrite(file, "saved"); }, true},
      {"same content, new file",
       [](const fs::path& file) {
         const fs::path other = file.string() + ".new";
         Overwrite(other, "old");
         fs::rename(other, file);
       },
       true},
      {"deleted", [](const fs::path& file) { fs::remove(file); }, false},
  };
  for (const bool hardLinked : {false, true}) {  // a rename, or a write in place
    for (const ConcurrentSave& save : saves) {
      SCOPED_TRACE(std::string(save.name) + (hardLinked ? ", hard-linked" : ""));
      zotest::TempDir dir;
      const fs::path file = dir.Write("t.cpp", "old");
      if (hardLinked) fs::create_hard_link(file, dir.Path() / "other.cpp");
      std::string before;
      std::string error;
      EXPECT_FALSE(ReplaceFileContent(file.string(), "new", "old", error, [&] {
        save.save(file);
        before = fs::exists(file) ? zotest::ReadBytes(file) : "";
      }));
      EXPECT_NE(error.find("changed on disk"), std::string::npos) << error;
      EXPECT_EQ(fs::exists(file), save.fileRemains);
      EXPECT_EQ(fs::exists(file) ? zotest::ReadBytes(file) : "", before);
      EXPECT_EQ(EntriesIn(dir.Path()), (save.fileRemains ? 1u : 0u) + (hardLinked ? 1u : 0u));
    }
  }
}

TEST(ReplaceFileContent, SaysWhyItCannotWrite) {
  zotest::TempDir dir;
  fs::create_symlink("missing.cpp", dir.Path() / "dangling.cpp");
  std::string error;
  EXPECT_FALSE(ReplaceFileContent((dir.Path() / "dangling.cpp").string(), "new", "old", error));
  EXPECT_NE(error.find("the link names a missing file"), std::string::npos) << error;
  EXPECT_FALSE(ReplaceFileContent("/dev/null", "new", "", error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

}  // namespace
}  // namespace zoci
