// Replacing a file's content (see file_replace.h).
#include "file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "file_io.h"

namespace zoci {
namespace {

/// Closes a file descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::string Why() { return std::strerror(errno); }

bool WriteAllAt(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = pwrite(fd, bytes.data() + written, bytes.size() - written, static_cast<off_t>(written));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

/// The file `path` names, through every symbolic link.
std::optional<std::string> Resolved(const std::string& path, std::string& error) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) {
    const std::string why = Why();
    struct stat link{};
    const bool dangling = lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    error = "cannot write " + path + ": " + (dangling ? "the link names a missing file" : why);
    return std::nullopt;
  }
  std::string target(resolved);
  std::free(resolved);
  return target;
}

/// Copies every extended attribute of `from` to `to`; false when one cannot be set.
bool CopyAttributes(int from, int to) {
  const ssize_t size = flistxattr(from, nullptr, 0);
  if (size < 0) return errno == ENOTSUP;
  std::vector<char> names(static_cast<size_t>(size) + 1, '\0');
  if (flistxattr(from, names.data(), names.size()) < 0) return false;
  for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
    const ssize_t length = fgetxattr(from, name, nullptr, 0);
    if (length < 0) return false;
    std::vector<char> value(static_cast<size_t>(length) + 1);
    const ssize_t got = fgetxattr(from, name, value.data(), value.size());
    if (got < 0 || fsetxattr(to, name, value.data(), static_cast<size_t>(got), 0) != 0) return false;
  }
  return true;
}

/// Gives the new file `fd` the owner, group, mode and attributes of `original`;
/// false when one of them cannot be given (the file is then rewritten in place).
bool TakeOver(int fd, int original, const struct stat& info) {
  struct stat made{};
  if (fstat(fd, &made) != 0) return false;
  const bool owned =
      (made.st_uid == info.st_uid && made.st_gid == info.st_gid) || fchown(fd, info.st_uid, info.st_gid) == 0;
  return owned && fchmod(fd, info.st_mode & 07777) == 0 && CopyAttributes(original, fd);
}

/// The state of one replacement.
class Replacement {
 public:
  Replacement(std::string target, const std::string& bytes, const std::string& expected, std::string& error)
      : target_(std::move(target)), bytes_(bytes), expected_(expected), error_(error) {}
  ~Replacement() {
    if (!temporary_.empty()) unlink(temporary_.c_str());
  }
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  bool Run(const std::function<void()>& beforeFinalCheck) {
    const Descriptor original(open(target_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!original.valid() || fstat(original.get(), &info_) != 0) return Fail("cannot read " + target_ + ": " + Why());
    if (!S_ISREG(info_.st_mode)) return Fail(target_ + ": not written: it is not a regular file");
    const bool renamable = info_.st_nlink == 1;  // a rename would split hard links
    if (renamable && !PrepareTemporary(original.get())) return false;
    if (beforeFinalCheck) beforeFinalCheck();
    if (!Unchanged()) return false;
    return temporary_.empty() ? WriteInPlace() : RenameOver();
  }

 private:
  bool Fail(std::string message) {
    error_ = std::move(message);
    return false;
  }

  /// Writes and flushes the new content beside the target; false only on a
  /// write fault (a file that cannot take the target's attributes leaves
  /// `temporary_` empty: the target is then rewritten in place).
  bool PrepareTemporary(int original) {
    std::string name = target_ + ".zoci-XXXXXX";
    const Descriptor fd(mkstemp(name.data()));
    if (!fd.valid()) return Fail("cannot create a temporary file beside " + target_ + ": " + Why());
    temporary_ = name;
    if (!WriteAllAt(fd.get(), bytes_) || fsync(fd.get()) != 0) return Fail("cannot write " + name + ": " + Why());
    if (!TakeOver(fd.get(), original, info_)) {
      unlink(temporary_.c_str());
      temporary_.clear();
    }
    return true;
  }

  /// Whether the target is still the file that was read, holding what was read.
  bool Unchanged() {
    std::string current, ignored;
    struct stat now{};
    const bool same = stat(target_.c_str(), &now) == 0 && now.st_dev == info_.st_dev && now.st_ino == info_.st_ino &&
                      ReadFileBytes(target_, current, ignored, expected_.size() + 1) && current == expected_;
    return same || Fail(target_ + ": not written: the file changed on disk since it was inspected");
  }

  bool RenameOver() {
    if (rename(temporary_.c_str(), target_.c_str()) != 0) return Fail("cannot replace " + target_ + ": " + Why());
    temporary_.clear();
    const std::string folder = std::filesystem::path(target_).parent_path().string();
    const Descriptor directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.valid()) fsync(directory.get());  // the rename itself made durable, best effort
    return true;
  }

  /// Rewrites the target's own content (its inode keeps owner, attributes and
  /// links); space is reserved first, and the old content is put back when the
  /// write fails half-way.
  bool WriteInPlace() {
    const Descriptor fd(open(target_.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.valid())
      return Fail("cannot write " + target_ + " in place (to keep its owner, attributes or hard links): " + Why());
    if (bytes_.size() > expected_.size()) {
      const int reserved = posix_fallocate(fd.get(), 0, static_cast<off_t>(bytes_.size()));
      if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
        return Fail("cannot write " + target_ + ": " + std::strerror(reserved));
      }
    }
    if (WriteAllAt(fd.get(), bytes_) && ftruncate(fd.get(), static_cast<off_t>(bytes_.size())) == 0 &&
        fsync(fd.get()) == 0) {
      return true;
    }
    const std::string why = Why();
    const bool restored =
        WriteAllAt(fd.get(), expected_) && ftruncate(fd.get(), static_cast<off_t>(expected_.size())) == 0;
    return Fail("cannot write " + target_ + ": " + why +
                (restored ? " (its previous content was put back)" : " (the file may be damaged)"));
  }

  const std::string target_;
  const std::string& bytes_;
  const std::string& expected_;
  std::string& error_;
  std::string temporary_;  ///< the new content beside the target, until renamed
  struct stat info_{};
};

}  // namespace

bool ReplaceFileContent(const std::string& path, const std::string& bytes, const std::string& expected,
                        std::string& error, const std::function<void()>& beforeFinalCheck) {
  const auto target = Resolved(path, error);
  return target && Replacement(*target, bytes, expected, error).Run(beforeFinalCheck);
}

}  // namespace zoci
