// Replacing a file's content the way a careful editor saves it, where zoci's
// own runs cannot reach: a save by another program at the last moment, and
// the reasons a file cannot be written. (Links, owner, mode, attributes,
// FIFOs and size limits are the reliability cases'.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "file_replace.h"
#include "support/temp_dir.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;

TEST(ReplaceFileContent, AConcurrentSaveBeforeTheLastCheckIsNeverOverwritten) {
  // Saves by another program landing just before the last look at the file; whether the file remains.
  const std::tuple<const char*, std::function<void(const fs::path&)>, bool> saves[] = {
      {"in place", [](const fs::path& file) { std::ofstream(file, std::ios::trunc) << "saved"; }, true},
      {"same content, new file",
       [](const fs::path& file) {
         std::ofstream(file.string() + ".new") << "old";
         fs::rename(file.string() + ".new", file);
       },
       true},
      {"deleted", [](const fs::path& file) { fs::remove(file); }, false},
  };
  for (const bool hardLinked : {false, true}) {  // a rename, or a write in place
    for (const auto& [name, save, fileRemains] : saves) {
      SCOPED_TRACE(std::string(name) + (hardLinked ? ", hard-linked" : ""));
      zotest::TempDir dir;
      const fs::path file = dir.Write("t.cpp", "old");
      if (hardLinked) fs::create_hard_link(file, dir.Path() / "other.cpp");
      std::string before, error;
      EXPECT_FALSE(ReplaceFileContent(file.string(), "new", "old", error, [&, &save = save] {
        save(file);
        before = fs::exists(file) ? zotest::ReadBytes(file) : "";
      }));
      EXPECT_NE(error.find("changed on disk"), std::string::npos) << error;
      EXPECT_EQ(fs::exists(file), fileRemains);
      EXPECT_EQ(fs::exists(file) ? zotest::ReadBytes(file) : "", before);
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()),
                fileRemains + hardLinked);  // no temporary left
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
