// zoci's result cache: a folder of inspection results found by content hash,
// shared by any number of zoci processes. A result depends on files known
// only after the run that produced it, so lookups go in two steps, as in
// compiler caches: a manifest, named by the key of the run's fixed inputs,
// lists the files earlier runs read with their digests; the result is named
// by that key together with those digests. Every entry is written to a
// temporary file and renamed into place, and carries a checksum, so a reader
// sees a whole entry or none; a torn or foreign file counts as missing. The
// folder is kept under a size bound by dropping the least recently used entries.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zoci {

/// A file a result depends on and its digest when the result was made;
/// an empty digest: the file did not exist.
struct CacheDependency {
  std::string path;
  std::string digest;
};

/// A file's current digest, empty when it does not exist.
using DigestFunction = std::function<std::string(const std::string& path)>;

class ResultCache {
 public:
  /// Entries live in `folder` (created when missing), in all at most about `maxBytes`.
  ResultCache(std::filesystem::path folder, uint64_t maxBytes);

  /// Whether the folder exists or could be created; `error` says why not.
  bool Ready(std::string& error) const;

  /// The result stored under `inputKey` whose dependencies all still have
  /// their recorded digests; none on a miss.
  std::optional<std::string> Lookup(const std::string& inputKey, const DigestFunction& digestOf) const;

  /// Stores `result` under `inputKey` and its dependencies; false when the
  /// folder cannot be written. Sweeps the folder once enough was written.
  bool Store(const std::string& inputKey, const std::vector<CacheDependency>& dependencies, const std::string& result);

  /// Deletes least recently used entries (and stale temporary files) until
  /// the folder holds at most the bound.
  void Evict();

 private:
  std::filesystem::path EntryPath(const std::string& key, const char* kind) const;
  bool WriteEntry(const std::filesystem::path& path, const std::string& body);

  std::filesystem::path folder_;
  uint64_t maxBytes_;
  std::atomic<uint64_t> writtenSinceSweep_{0};
  std::mutex sweeping_;
};

/// The default cache folder: $XDG_CACHE_HOME/zoci, else ~/.cache/zoci; empty
/// when neither variable is set.
std::filesystem::path DefaultCacheFolder();

}  // namespace zoci
