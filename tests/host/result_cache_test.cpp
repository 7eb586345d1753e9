// The result cache's folder: reuse only while every recorded file is as it
// was, whole entries under concurrent writers, torn ones replaced, its bound.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "result_cache.h"
#include "sha256.h"
#include "support/temp_dir.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;

/// Current digests of a pretend file system: path to digest, missing files absent.
struct Files {
  std::map<std::string, std::string> digests;
  DigestFunction Function() const {
    return [this](const std::string& path) {
      const auto found = digests.find(path);
      return found == digests.end() ? std::string() : found->second;
    };
  }
  std::vector<CacheDependency> Dependencies(const std::vector<std::string>& paths) const {
    std::vector<CacheDependency> list;
    for (const std::string& path : paths) list.push_back({path, Function()(path)});
    return list;
  }
};

std::vector<fs::path> EntryFiles(const fs::path& folder, const std::string& suffix = "") {
  std::vector<fs::path> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().string().ends_with(suffix)) found.push_back(entry.path());
  }
  return found;
}

TEST(ResultCache, ReusesAResultOnlyWhileEveryFileItReadIsUnchanged) {
  const std::string key = Sha256Hex("recipe");
  // Each file's digest at the run ("" for a file missing then); a change since; whether the result is reused.
  const std::tuple<const char*, std::string, std::string, bool> cases[] = {
      {"nothing changed", "", "", true},
      {"a header's text", "/p/a.h", "f2", false},
      {"a header deleted", "/p/a.h", "", false},
      {"a file that was missing now exists (an include found earlier in the path)", "/p/first/b.h", "f9", false},
      {"a file the run did not read", "/p/other.h", "f5", true},
  };
  const std::vector<std::string> read = {"/p/main.cpp", "/p/a.h", "/p/first/b.h"};
  for (const auto& [what, changed, digest, reused] : cases) {
    SCOPED_TRACE(what);
    zotest::TempDir dir;
    ResultCache cache(dir.Path(), 1 << 20);
    Files files{{{"/p/main.cpp", "f0"}, {"/p/a.h", "f1"}}};
    const Files before = files;
    ASSERT_TRUE(cache.Store(key, files.Dependencies(read), "result"));
    if (digest.empty()) files.digests.erase(changed);
    if (!digest.empty()) files.digests[changed] = digest;
    EXPECT_EQ(cache.Lookup(key, files.Function()).value_or("none"), reused ? "result" : "none");
    EXPECT_FALSE(cache.Lookup(Sha256Hex("another recipe"), files.Function()));
    if (reused) continue;
    ASSERT_TRUE(cache.Store(key, files.Dependencies(read), "new"));  // kept beside the result of the old state
    EXPECT_EQ(cache.Lookup(key, files.Function()).value_or(""), "new");
    EXPECT_EQ(cache.Lookup(key, before.Function()).value_or(""), "result");
  }
}

TEST(ResultCache, TornOrForeignEntriesAreIgnoredAndReplaced) {
  const std::string key = Sha256Hex("recipe");
  const Files files{{{"/p/a.h", "f1"}}};
  // The kind of entry damaged (result or manifest), and what becomes of its bytes.
  const std::pair<const char*, std::function<std::string(std::string)>> cases[] = {
      {".r", [](const std::string& s) { return s.substr(0, s.size() / 2); }},
      {".r", [](std::string s) { return s.replace(s.size() - 1, 1, "z"); }},
      {".r", [](const std::string&) { return std::string(); }},
      {".m", [](const std::string& s) { return s.substr(0, s.size() - 3); }},
      {".m", [](const std::string&) { return std::string("{\"entries\": 7}"); }},
  };
  for (const auto& [suffix, damage] : cases) {
    zotest::TempDir dir;
    ResultCache cache(dir.Path(), 1 << 20);
    ASSERT_TRUE(cache.Store(key, files.Dependencies({"/p/a.h"}), std::string(5000, 'x')));
    const auto damaged = EntryFiles(dir.Path(), suffix);
    ASSERT_EQ(damaged.size(), 1u) << suffix;
    dir.Write(fs::relative(damaged[0], dir.Path()).string(), damage(zotest::ReadBytes(damaged[0])));
    EXPECT_FALSE(cache.Lookup(key, files.Function())) << suffix;
    ASSERT_TRUE(cache.Store(key, files.Dependencies({"/p/a.h"}), std::string(5000, 'y')));
    EXPECT_EQ(cache.Lookup(key, files.Function()).value_or(""), std::string(5000, 'y'));
  }
}

TEST(ResultCache, TwoProcessesWritingTheSameEntryLeaveAWholeOne) {
  zotest::TempDir dir;
  const std::string key = Sha256Hex("recipe");
  const Files files{{{"/p/a.h", "f1"}}};
  // Large results, so that a write is many system calls and the two overlap.
  const std::string results[] = {std::string(256 << 10, 'a'), std::string(256 << 10, 'b')};
  std::vector<pid_t> children;
  for (const std::string& result : results) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ResultCache cache(dir.Path(), 64 << 20);
      bool ok = true;
      for (int i = 0; i < 20; ++i) ok = cache.Store(key, files.Dependencies({"/p/a.h"}), result) && ok;
      _exit(ok ? 0 : 1);
    }
    children.push_back(child);
  }
  ResultCache reader(dir.Path(), 64 << 20);
  for (const pid_t child : children) {
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
      // While they write, a reader sees one of the two results whole or none.
      if (const auto seen = reader.Lookup(key, files.Function())) {
        EXPECT_TRUE(*seen == results[0] || *seen == results[1]);
      }
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const auto last = reader.Lookup(key, files.Function());
  ASSERT_TRUE(last);
  EXPECT_TRUE(*last == results[0] || *last == results[1]);
  EXPECT_EQ(EntryFiles(dir.Path(), ".r").size(), 1u);
  for (const fs::path& file : EntryFiles(dir.Path()))
    EXPECT_FALSE(file.filename().string().starts_with("tmp.")) << "left behind: " << file;
}

TEST(ResultCache, EvictionKeepsTheFolderUnderItsBoundAndTheRecentResults) {
  zotest::TempDir dir;
  const uint64_t bound = 256 << 10;
  ResultCache cache(dir.Path(), bound);
  dir.Write("unrelated.txt", std::string(100 << 10, 'u'));  // not the cache's: never counted nor deleted
  const Files files{{{"/p/a.h", "f1"}}};
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(cache.Store(Sha256Hex("recipe " + std::to_string(i)), files.Dependencies({"/p/a.h"}),
                            std::string(8 << 10, 'r')));
  }
  cache.Evict();
  uintmax_t bytes = 0;
  for (const fs::path& file : EntryFiles(dir.Path())) bytes += fs::file_size(file);
  EXPECT_LE(bytes - (100 << 10), bound);
  EXPECT_TRUE(fs::exists(dir.Path() / "unrelated.txt"));
  EXPECT_TRUE(cache.Lookup(Sha256Hex("recipe 199"), files.Function()));
  EXPECT_FALSE(cache.Lookup(Sha256Hex("recipe 0"), files.Function()));
}

}  // namespace
}  // namespace zoci
