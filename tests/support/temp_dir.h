// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zotest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  /// Writes `bytes` to a file below the folder (creating parents) and
  /// returns its full path.
  std::filesystem::path Write(const std::string& relative, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

/// Reads a whole file as bytes.
std::string ReadBytes(const std::filesystem::path& path);

}  // namespace zotest
