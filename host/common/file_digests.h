// Digests of files on disk for the result cache, each file hashed once per
// process while its size and last-write time stay the same (headers are
// shared by many sources). Safe to use from several threads.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>

namespace zoci {

/// A file's digest and last-write time; an empty digest: missing or
/// unreadable; "folder" or "other" for what is not a regular file.
struct FileState {
  std::string digest;
  std::filesystem::file_time_type modified;
};

class FileDigests {
 public:
  FileState Of(const std::string& path);

 private:
  struct Known {
    uintmax_t size;
    std::filesystem::file_time_type modified;
    std::string digest;
  };
  std::mutex mutex_;
  std::unordered_map<std::string, Known> known_;
};

}  // namespace zoci
