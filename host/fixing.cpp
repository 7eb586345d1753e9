// Fix planning, application and writing back (see fixing.h).
#include "fixing.h"

#include <algorithm>

#include "glob.h"
#include "file_replace.h"
#include "text_lines.h"

namespace zoci {
namespace {

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
  return ReplaceFileContent(path, *bytes, expectedBytes, error);
}

}  // namespace zoci
