// The result cache's folder (see result_cache.h). Layout: <folder>/<xy>/<key>.m
// for manifests and <folder>/<xy>/<key>.r for results, xy the key's first two
// hex digits; every file starts with a line "zoci-cache-1 <SHA-256 of the rest>".
#include "result_cache.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "sha256.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic = "zoci-cache-1 ";
/// Manifest entries kept per input key: the file states most recently stored.
constexpr size_t kManifestEntries = 8;
/// Temporary files older than this were left by a process that died.
constexpr auto kStaleTemporary = std::chrono::hours(1);

/// The body of an entry file, none when missing, torn or not ours.
std::optional<std::string> ReadEntry(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  const size_t header = kMagic.size() + 64 + 1;
  if (bytes.size() < header || !bytes.starts_with(kMagic) || bytes[header - 1] != '\n') {
    return std::nullopt;
  }
  std::string body = bytes.substr(header);
  if (bytes.compare(kMagic.size(), 64, Sha256Hex(body)) != 0) return std::nullopt;
  return body;
}

/// Marks an entry as used now, for eviction by least recent use.
void Touch(const fs::path& path) {
  std::error_code ignored;
  fs::last_write_time(path, fs::file_time_type::clock::now(), ignored);
}

std::string ResultKey(const std::string& inputKey, std::vector<CacheDependency> dependencies) {
  std::sort(dependencies.begin(), dependencies.end(),
            [](const CacheDependency& a, const CacheDependency& b) { return a.path < b.path; });
  Sha256 hash;
  hash.Add(inputKey).Add("\n");
  for (const CacheDependency& dependency : dependencies) {
    hash.Add(dependency.path).Add(std::string_view("\0", 1)).Add(dependency.digest).Add("\n");
  }
  return hash.Hex();
}

/// The dependency lists of a manifest, newest first; empty when it is unusable.
std::vector<std::vector<CacheDependency>> ParseManifest(const std::optional<std::string>& body) {
  std::vector<std::vector<CacheDependency>> entries;
  if (!body) return entries;
  try {
    const nlohmann::json manifest = nlohmann::json::parse(*body);
    for (const nlohmann::json& entry : manifest.at("entries")) {
      std::vector<CacheDependency>& dependencies = entries.emplace_back();
      for (const nlohmann::json& file : entry) dependencies.push_back({file.at(0), file.at(1)});
    }
  } catch (const nlohmann::json::exception&) {
    entries.clear();
  }
  return entries;
}

std::string ManifestText(const std::vector<std::vector<CacheDependency>>& entries) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& dependencies : entries) {
    nlohmann::json files = nlohmann::json::array();
    for (const CacheDependency& file : dependencies) files.push_back(nlohmann::json::array({file.path, file.digest}));
    list.push_back(std::move(files));
  }
  return nlohmann::json{{"entries", std::move(list)}}.dump();
}

bool AllCurrent(const std::vector<CacheDependency>& dependencies, const DigestFunction& digestOf) {
  return std::all_of(dependencies.begin(), dependencies.end(),
                     [&](const CacheDependency& file) { return digestOf(file.path) == file.digest; });
}

/// Whether `name` is one of the cache's own files (an entry or a temporary one).
bool IsCacheFileName(const std::string& name) {
  if (name.starts_with("tmp.")) return true;
  const bool hex = name.size() == 66 && name.find_first_not_of("0123456789abcdef") == 64;
  return hex && name[64] == '.' && (name[65] == 'm' || name[65] == 'r');
}

bool IsShardFolderName(const std::string& name) {
  return name.size() == 2 && name.find_first_not_of("0123456789abcdef") == std::string::npos;
}

struct CacheFile {
  fs::path path;
  uintmax_t size;
  fs::file_time_type used;
};

void ListInto(const fs::path& folder, fs::file_time_type now, std::vector<CacheFile>& files);

/// The cache's own files in `folder`; stale temporary files are deleted on the way.
std::vector<CacheFile> ListCacheFiles(const fs::path& folder) {
  std::vector<CacheFile> files;
  const auto now = fs::file_time_type::clock::now();
  try {
    ListInto(folder, now, files);
  } catch (const fs::filesystem_error&) {
    // A folder removed while listed: what was listed is swept, the rest next time.
  }
  return files;
}

void ListInto(const fs::path& folder, fs::file_time_type now, std::vector<CacheFile>& files) {
  std::error_code failed;
  for (const fs::directory_entry& shard : fs::directory_iterator(folder, failed)) {
    if (!IsShardFolderName(shard.path().filename().string()) || !shard.is_directory(failed)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(shard.path(), failed)) {
      const std::string name = entry.path().filename().string();
      if (!IsCacheFileName(name) || !entry.is_regular_file(failed)) continue;
      const uintmax_t size = entry.file_size(failed);
      const fs::file_time_type used = entry.last_write_time(failed);
      if (failed) continue;  // gone meanwhile
      if (name.starts_with("tmp.") && now - used > kStaleTemporary) fs::remove(entry.path(), failed);
      else files.push_back({entry.path(), size, used});
    }
  }
}

}  // namespace

ResultCache::ResultCache(fs::path folder, uint64_t maxBytes) : folder_(std::move(folder)), maxBytes_(maxBytes) {
  std::error_code ignored;  // Ready says whether it worked
  fs::create_directories(folder_, ignored);
}

bool ResultCache::Ready(std::string& error) const {
  std::error_code failed;
  if (fs::is_directory(folder_, failed)) return true;
  error = "cannot create the cache folder " + folder_.string() + (failed ? ": " + failed.message() : "");
  return false;
}

fs::path ResultCache::EntryPath(const std::string& key, const char* kind) const {
  return folder_ / key.substr(0, 2) / (key + "." + kind);
}

std::optional<std::string> ResultCache::Lookup(const std::string& inputKey, const DigestFunction& digestOf) const {
  const fs::path manifest = EntryPath(inputKey, "m");
  for (const auto& dependencies : ParseManifest(ReadEntry(manifest))) {
    if (!AllCurrent(dependencies, digestOf)) continue;
    const fs::path result = EntryPath(ResultKey(inputKey, dependencies), "r");
    if (auto body = ReadEntry(result)) {
      Touch(manifest);
      Touch(result);
      return body;
    }
  }
  return std::nullopt;
}

bool ResultCache::WriteEntry(const fs::path& path, const std::string& body) {
  static std::atomic<uint64_t> serial{0};
  std::error_code failed;
  fs::create_directories(path.parent_path(), failed);
  std::string name = "tmp.";
  name.append(std::to_string(getpid())).append(".").append(std::to_string(serial.fetch_add(1)));
  const fs::path temporary = path.parent_path() / name;
  const std::string header = std::string(kMagic) + Sha256Hex(body) + "\n";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << header << body;
    out.close();
    if (!out) {
      fs::remove(temporary, failed);
      return false;
    }
  }
  fs::rename(temporary, path, failed);  // atomic: readers see the old entry or the new one
  if (failed) {
    fs::remove(temporary, failed);
    return false;
  }
  writtenSinceSweep_ += header.size() + body.size();
  return true;
}

bool ResultCache::Store(const std::string& inputKey, const std::vector<CacheDependency>& dependencies,
                        const std::string& result) {
  if (!WriteEntry(EntryPath(ResultKey(inputKey, dependencies), "r"), result)) return false;
  // Concurrent writers of one manifest: the last rename wins, and every
  // version is whole; a lost entry costs one run later, never a wrong result.
  const fs::path manifest = EntryPath(inputKey, "m");
  auto entries = ParseManifest(ReadEntry(manifest));
  const std::string key = ResultKey(inputKey, dependencies);
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const auto& entry) { return ResultKey(inputKey, entry) == key; }),
                entries.end());
  entries.insert(entries.begin(), dependencies);
  if (entries.size() > kManifestEntries) entries.resize(kManifestEntries);
  const bool written = WriteEntry(manifest, ManifestText(entries));
  if (writtenSinceSweep_ > maxBytes_ / 8) Evict();
  return written;
}

void ResultCache::Evict() {
  const std::unique_lock lock(sweeping_, std::try_to_lock);
  if (!lock) return;  // another thread is sweeping
  writtenSinceSweep_ = 0;
  std::vector<CacheFile> files = ListCacheFiles(folder_);
  uintmax_t total = 0;
  for (const CacheFile& file : files) total += file.size;
  if (total <= maxBytes_) return;
  // Down to nine tenths of the bound, so that the next runs need not sweep again at once.
  const uintmax_t target = maxBytes_ / 10 * 9;
  std::sort(files.begin(), files.end(), [](const CacheFile& a, const CacheFile& b) { return a.used < b.used; });
  std::error_code ignored;
  for (const CacheFile& file : files) {
    if (total <= target) break;
    if (fs::remove(file.path, ignored)) total -= file.size;
  }
}

fs::path DefaultCacheFolder() {
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && *xdg != '\0') return fs::path(xdg) / "zoci";
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    return fs::path(home) / ".cache" / "zoci";
  return {};
}

}  // namespace zoci
