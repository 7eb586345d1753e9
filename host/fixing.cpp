// Fix planning, application and writing back (see fixing.h).
#include "fixing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "glob.h"
#include "file_io.h"
#include "text_lines.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;

bool Overlaps(const TextEdit& a, const TextEdit& b) {
  if (a.offset == b.offset) return true;  // two changes at one place cannot both be meant
  return a.offset < b.offset + b.length && b.offset < a.offset + a.length;
}

bool SameEdit(const TextEdit& a, const TextEdit& b) {
  return a.offset == b.offset && a.length == b.length && a.text == b.text;
}

/// Whether every edit of `fix` is already taken (the same fix reported twice).
bool AlreadyTaken(const std::vector<TextEdit>& fix, const std::vector<TextEdit>& taken) {
  return std::all_of(fix.begin(), fix.end(), [&](const TextEdit& edit) {
    return std::any_of(taken.begin(), taken.end(), [&](const TextEdit& t) { return SameEdit(edit, t); });
  });
}

bool Conflicts(const std::vector<TextEdit>& fix, const std::vector<TextEdit>& taken) {
  return std::any_of(fix.begin(), fix.end(), [&](const TextEdit& edit) {
    return std::any_of(taken.begin(), taken.end(), [&](const TextEdit& t) { return Overlaps(edit, t); });
  });
}

std::string Where(const Report& report, const Diagnostic& diagnostic) {
  const auto source = report.sources.find(diagnostic.file);
  if (source == report.sources.end()) return diagnostic.file;
  const Position at = LineIndex(source->second.text).PositionOf(diagnostic.offset);
  return diagnostic.file + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
}

/// Writes all of `bytes` to a new file beside `path` with `mode`; its name on success.
std::optional<std::string> WriteTemporary(const std::string& path, const std::string& bytes, mode_t mode,
                                          std::string& error) {
  std::string name = path + ".zoci-XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    error = "cannot create a temporary file beside " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  const bool ok = written == bytes.size() && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  const int saved = errno;
  if (close(fd) != 0 || !ok) {
    unlink(name.c_str());
    error = "cannot write " + name + ": " + std::strerror(ok ? errno : saved);
    return std::nullopt;
  }
  return name;
}

}  // namespace

FixPlan PlanFixes(const Report& report, const std::string& onlyGlobs) {
  FixPlan plan;
  for (const InspectedFile& file : report.files) {
    for (const Diagnostic& diagnostic : file.diagnostics) {
      if (diagnostic.fix.empty() || !MatchesGlobList(onlyGlobs, diagnostic.check)) continue;
      std::vector<TextEdit>& taken = plan.edits[diagnostic.file];
      if (AlreadyTaken(diagnostic.fix, taken)) continue;
      if (Conflicts(diagnostic.fix, taken)) {
        plan.skipped.push_back(Where(report, diagnostic) + ": fix of [" + diagnostic.check +
                               "] skipped: it overlaps a fix already applied");
        continue;
      }
      taken.insert(taken.end(), diagnostic.fix.begin(), diagnostic.fix.end());
      ++plan.fixCount[diagnostic.file];
    }
  }
  for (auto& [path, edits] : plan.edits) {
    std::sort(edits.begin(), edits.end(), [](const TextEdit& a, const TextEdit& b) { return a.offset < b.offset; });
  }
  return plan;
}

std::u16string ApplyEdits(std::u16string_view text, const std::vector<TextEdit>& edits) {
  std::u16string out;
  size_t copied = 0;
  for (const TextEdit& edit : edits) {
    const size_t begin = std::min<size_t>(edit.offset, text.size());
    out.append(text.substr(copied, begin - std::min(copied, begin)));
    std::u16string inserted;
    if (!FromUtf8(edit.text, inserted)) inserted.assign(1, u'\uFFFD');
    out += inserted;
    copied = std::max(copied, std::min<size_t>(begin + edit.length, text.size()));
  }
  out.append(text.substr(std::min(copied, text.size())));
  return out;
}

bool WriteBack(const std::string& path, std::u16string_view text, const HostText& like,
               const std::string& expectedBytes, std::string& error) {
  const auto bytes = EncodeHostText(text, like, error);
  if (!bytes) {
    error = path + ": not written: " + error;
    return false;
  }
  std::string current;
  if (!ReadFileBytes(path, current, error)) return false;
  if (current != expectedBytes) {
    error = path + ": not written: the file changed on disk since it was inspected";
    return false;
  }
  struct stat info {};
  const mode_t mode = stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644;
  const auto temporary = WriteTemporary(path, *bytes, mode, error);
  if (!temporary) return false;
  if (std::rename(temporary->c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path + ": " + std::strerror(errno);
    unlink(temporary->c_str());
    return false;
  }
  return true;
}

}  // namespace zoci
