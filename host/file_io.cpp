// Whole-file reading (see file_io.h).
#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace zoci {

bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::string& error) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    error = "cannot read " + path.string() + ": it is a folder";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = "cannot read " + path.string();
    return false;
  }
  bytes = std::move(text).str();
  return true;
}

}  // namespace zoci
