// Whole-file reading (see file_io.h).
#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zoci {
namespace {

/// What kind of file `mode` is, for a message; empty for a regular file.
std::string KindOf(mode_t mode) {
  if (S_ISREG(mode)) return {};
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO (pipe)";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

std::string NotRegular(const std::string& path, mode_t mode) {
  return "cannot read " + path + ": it is " + KindOf(mode) +
         "; zoci reads regular files only (standard input through --stdin-buffer FILE)";
}

std::string TooLarge(const std::string& path, uint64_t limit) {
  return "cannot read " + path + ": it is larger than the source size limit of " + std::to_string(limit >> 20) +
         " MiB (--max-file-size)";
}

/// Reads `fd` to its end, at most `limit` bytes; false with `error` set past the limit or on a read error.
bool ReadAll(int fd, const std::string& path, uint64_t limit, std::string& bytes, std::string& error) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = "cannot read " + path + ": " + std::strerror(errno);
      return false;
    }
    if (n == 0) return true;
    if (bytes.size() + static_cast<size_t>(n) > limit) {
      error = TooLarge(path, limit);
      return false;
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace

bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::string& error, uint64_t limit) {
  const std::string name = path.string();
  struct stat info{};
  if (stat(name.c_str(), &info) != 0) {
    error = "cannot read " + name + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {  // checked before opening: opening a FIFO waits for a writer
    error = NotRegular(name, info.st_mode);
    return false;
  }
  const int fd = open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot read " + name + ": " + std::strerror(errno);
    return false;
  }
  bytes.clear();
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);  // the file may have been swapped meanwhile
  if (!ok) error = NotRegular(name, info.st_mode);
  else if (static_cast<uint64_t>(info.st_size) > limit) ok = false, error = TooLarge(name, limit);
  else ok = ReadAll(fd, name, limit, bytes, error);
  close(fd);
  return ok;
}

bool ReadStreamBytes(std::istream& in, const std::string& name, std::string& bytes, std::string& error,
                     uint64_t limit) {
  char buffer[1 << 16];
  bytes.clear();
  while (in) {
    in.read(buffer, sizeof buffer);
    const auto n = static_cast<size_t>(in.gcount());
    if (bytes.size() + n > limit) {
      error = TooLarge(name, limit);
      return false;
    }
    bytes.append(buffer, n);
  }
  return true;
}

bool IsReadableSource(const std::filesystem::path& path, std::string& error) {
  struct stat info{};
  if (stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
    return true;  // a missing file is the compiler's to report
  error = NotRegular(path.string(), info.st_mode);
  return false;
}

}  // namespace zoci
