// Fix planning, application and writing back (see fixing.h).
#include "fixing.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <tuple>

#include "fix_conflicts.h"
#include "glob.h"
#include "file_replace.h"
#include "text_lines.h"

namespace zoci {
namespace {

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

/// The diagnostics whose fixes are refused for overlapping another fix,
/// judged on each fix's own replacements; a fix repeated is judged once.
std::set<const Diagnostic*> OverlappingFixes(const Report& report, const std::string& onlyGlobs) {
  std::map<std::string, std::vector<const Diagnostic*>> byFile;
  for (const InspectedFile& file : report.files) {
    for (const Diagnostic& diagnostic : file.diagnostics) {
      if (!diagnostic.fix.empty() && MatchesGlobList(onlyGlobs, diagnostic.check)) byFile[diagnostic.file].push_back(&diagnostic);
    }
  }
  std::set<const Diagnostic*> refused;
  for (const auto& [path, diagnostics] : byFile) {
    std::vector<const Diagnostic*> judged;
    std::vector<const std::vector<TextEdit>*> fixes;
    std::set<std::vector<std::tuple<uint32_t, uint32_t, std::string>>> seen;
    for (const Diagnostic* diagnostic : diagnostics) {
      const std::vector<TextEdit>& own = diagnostic->ownFix.empty() ? diagnostic->fix : diagnostic->ownFix;
      std::vector<std::tuple<uint32_t, uint32_t, std::string>> key;
      for (const TextEdit& edit : own) key.emplace_back(edit.offset, edit.length, edit.text);
      if (!seen.insert(std::move(key)).second) continue;
      judged.push_back(diagnostic);
      fixes.push_back(&own);
    }
    const std::vector<bool> refusedHere = RefusedFixes(fixes);
    for (size_t i = 0; i < judged.size(); ++i) {
      if (refusedHere[i]) refused.insert(judged[i]);
    }
  }
  return refused;
}

}  // namespace

FixPlan PlanFixes(const Report& report, const std::string& onlyGlobs) {
  FixPlan plan;
  const std::set<const Diagnostic*> overlapping = OverlappingFixes(report, onlyGlobs);
  std::map<std::string, TakenEdits> takenByFile;
  Locations locations(report);
  for (const InspectedFile& file : report.files) {
    for (const Diagnostic& diagnostic : file.diagnostics) {
      if (diagnostic.fix.empty() || !MatchesGlobList(onlyGlobs, diagnostic.check)) continue;
      TakenEdits& taken = takenByFile[diagnostic.file];
      if (overlapping.count(&diagnostic) != 0) {
        plan.skipped.push_back(locations.Where(diagnostic) + ": fix of [" + diagnostic.check +
                               "] skipped: it overlaps another fix");
        continue;
      }
      if (AlreadyTaken(diagnostic.fix, taken)) continue;
      if (Conflicts(diagnostic.fix, taken)) {  // each fix's cleanup alone reaches into a neighbour's text
        plan.skipped.push_back(locations.Where(diagnostic) + ": fix of [" + diagnostic.check +
                               "] skipped: its cleanup meets that of a fix already applied; run zoci fix again to apply it");
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
    // Insertions before a replacement at the same place; insertions at one place in report order.
    std::stable_sort(edits.begin(), edits.end(), [](const TextEdit& a, const TextEdit& b) {
      return a.offset != b.offset ? a.offset < b.offset : (a.length == 0 && b.length != 0);
    });
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
