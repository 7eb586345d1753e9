// Fix planning, application and writing back (see fixing.h).
#include "fixing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>

#include "glob.h"
#include "file_io.h"
#include "text_lines.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;

bool SameEdit(const TextEdit& a, const TextEdit& b) {
  return a.offset == b.offset && a.length == b.length && a.text == b.text;
}

/// The edits taken for one file, by offset, so that each test of a new edit
/// looks only at its neighbours.
using TakenEdits = std::multimap<uint32_t, TextEdit>;

/// Whether `edit` is taken already (the same fix reported twice).
bool IsTaken(const TextEdit& edit, const TakenEdits& taken) {
  const auto [begin, end] = taken.equal_range(edit.offset);
  return std::any_of(begin, end, [&](const auto& entry) { return SameEdit(edit, entry.second); });
}

/// Whether `edit` overlaps a taken edit. Two changes at one place cannot both
/// be meant; otherwise the taken edits do not overlap each other, so only the
/// ones just before and just after `edit` can overlap it.
bool Overlaps(const TextEdit& edit, const TakenEdits& taken) {
  if (taken.count(edit.offset) > 0) return true;
  const uint64_t end = uint64_t{edit.offset} + edit.length;
  const auto after = taken.upper_bound(edit.offset);
  if (after != taken.end() && after->first < end) return true;
  if (after == taken.begin()) return false;
  const auto [first, last] = taken.equal_range(std::prev(after)->first);
  return std::any_of(first, last, [&](const auto& entry) { return edit.offset < uint64_t{entry.first} + entry.second.length; });
}

bool AlreadyTaken(const std::vector<TextEdit>& fix, const TakenEdits& taken) {
  return std::all_of(fix.begin(), fix.end(), [&](const TextEdit& edit) { return IsTaken(edit, taken); });
}

bool Conflicts(const std::vector<TextEdit>& fix, const TakenEdits& taken) {
  return std::any_of(fix.begin(), fix.end(), [&](const TextEdit& edit) { return Overlaps(edit, taken); });
}

/// Where diagnostics are in the report's texts, each text's line table built once.
class Locations {
 public:
  explicit Locations(const Report& report) : report_(report) {}

  std::string Where(const Diagnostic& diagnostic) {
    const auto source = report_.sources.find(diagnostic.file);
    if (source == report_.sources.end()) return diagnostic.file;
    const LineIndex& lines = lines_.try_emplace(diagnostic.file, source->second.text).first->second;
    const Position at = lines.PositionOf(diagnostic.offset);
    return diagnostic.file + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
  }

 private:
  const Report& report_;
  std::map<std::string, LineIndex> lines_;
};

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
  std::map<std::string, TakenEdits> takenByFile;
  Locations locations(report);
  for (const InspectedFile& file : report.files) {
    for (const Diagnostic& diagnostic : file.diagnostics) {
      if (diagnostic.fix.empty() || !MatchesGlobList(onlyGlobs, diagnostic.check)) continue;
      TakenEdits& taken = takenByFile[diagnostic.file];
      if (AlreadyTaken(diagnostic.fix, taken)) continue;
      if (Conflicts(diagnostic.fix, taken)) {
        plan.skipped.push_back(locations.Where(diagnostic) + ": fix of [" + diagnostic.check +
                               "] skipped: it overlaps a fix already applied");
        continue;
      }
      for (const TextEdit& edit : diagnostic.fix) taken.emplace(edit.offset, edit);
      ++plan.fixCount[diagnostic.file];
    }
  }
  for (auto& [path, taken] : takenByFile) {
    std::vector<TextEdit>& edits = plan.edits[path];
    edits.reserve(taken.size());
    for (auto& [offset, edit] : taken) edits.push_back(std::move(edit));
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
