// Fix planning, application and writing back (see fixing.h).
#include "fixing.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

#include "file_replace.h"
#include "fix_conflicts.h"
#include "glob.h"
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

/// Whether two edits change the same text: an insertion where a range starts
/// or ends does not, nor do two insertions.
bool EditsOverlap(const TextEdit& a, const TextEdit& b) {
  if (a.length == 0 && b.length == 0) return false;
  return uint64_t{a.offset} < uint64_t{b.offset} + b.length && uint64_t{b.offset} < uint64_t{a.offset} + a.length;
}

/// Whether `edit` overlaps a taken edit. The taken edits do not overlap each
/// other, so only those starting inside `edit` and the last range starting
/// before it can; the walks stop at the first range they meet.
bool Overlaps(const TextEdit& edit, const TakenEdits& taken) {
  const uint64_t end = uint64_t{edit.offset} + edit.length;
  const auto from = taken.lower_bound(edit.offset);
  for (auto it = from; it != taken.end() && (it->first < end || it->first == edit.offset); ++it) {
    if (EditsOverlap(edit, it->second)) return true;
    if (it->second.length != 0) break;
  }
  for (auto it = from; it != taken.begin();) {
    --it;
    if (it->second.length != 0) return EditsOverlap(edit, it->second);
  }
  return false;
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

  /// The message that a diagnostic's fix is not applied, and why.
  std::string Skipped(const Diagnostic& diagnostic, const std::string& why) {
    return Where(diagnostic) + ": fix of [" + diagnostic.check + "] skipped: " + why;
  }

 private:
  const Report& report_;
  std::map<std::string, LineIndex> lines_;
};

using EditKey = std::vector<std::tuple<uint32_t, uint32_t, std::string>>;

/// A fix's own replacements (before any cleanup) as a comparable value.
EditKey OwnKey(const Diagnostic& diagnostic) {
  const std::vector<TextEdit>& own = diagnostic.ownFix.empty() ? diagnostic.fix : diagnostic.ownFix;
  EditKey key;
  for (const TextEdit& edit : own) key.emplace_back(edit.offset, edit.length, edit.text);
  return key;
}

/// The diagnostics whose fixes are refused for overlapping another fix,
/// judged on each fix's own replacements.
std::set<const Diagnostic*> OverlappingFixes(const Report& report, const std::string& onlyGlobs) {
  std::map<std::string, std::vector<const Diagnostic*>> byFile;
  for (const InspectedFile& file : report.files) {
    for (const Diagnostic& diagnostic : file.diagnostics) {
      if (!diagnostic.fix.empty() && MatchesGlobList(onlyGlobs, diagnostic.check, diagnostic.aliases))
        byFile[diagnostic.file].push_back(&diagnostic);
    }
  }
  std::set<const Diagnostic*> refused;
  for (const auto& [path, diagnostics] : byFile) {
    // A fix repeated (the same replacements) is judged once and shares the verdict.
    std::map<EditKey, size_t> judgedAs;
    std::vector<const std::vector<TextEdit>*> fixes;
    std::vector<size_t> verdictOf;
    for (const Diagnostic* diagnostic : diagnostics) {
      const auto [it, added] = judgedAs.emplace(OwnKey(*diagnostic), fixes.size());
      if (added) fixes.push_back(diagnostic->ownFix.empty() ? &diagnostic->fix : &diagnostic->ownFix);
      verdictOf.push_back(it->second);
    }
    const std::vector<bool> refusedHere = RefusedFixes(fixes);
    for (size_t i = 0; i < diagnostics.size(); ++i) {
      if (refusedHere[verdictOf[i]]) refused.insert(diagnostics[i]);
    }
  }
  return refused;
}

/// The fixes of each file in the order the binary applies them; fixes alike
/// in that order keep the report's.
class BinaryOrder {
 public:
  void Add(const Diagnostic& diagnostic) { byFile_[diagnostic.file].push_back(&diagnostic); }

  std::map<std::string, std::vector<int32_t>> Tokens() const {
    std::map<std::string, std::vector<int32_t>> tokens;
    for (const auto& [file, diagnostics] : byFile_) {
      std::vector<size_t> order(diagnostics.size());
      std::iota(order.begin(), order.end(), size_t{0});
      std::sort(order.begin(), order.end(), [&diagnostics](size_t a, size_t b) {
        const Diagnostic& left = *diagnostics[a];
        const Diagnostic& right = *diagnostics[b];
        return std::tie(left.offset, left.check, left.message, a) <
               std::tie(right.offset, right.check, right.message, b);
      });
      for (const size_t index : order) tokens[file].push_back(diagnostics[index]->claimToken);
    }
    return tokens;
  }

 private:
  std::map<std::string, std::vector<const Diagnostic*>> byFile_;
};

}  // namespace

FixPlan PlanFixes(const Report& report, const std::string& onlyGlobs) {
  FixPlan plan;
  const std::set<const Diagnostic*> overlapping = OverlappingFixes(report, onlyGlobs);
  std::map<std::string, TakenEdits> takenByFile;
  std::set<std::pair<std::string, EditKey>> together;
  BinaryOrder togetherOrder;
  Locations locations(report);
  for (const InspectedFile& file : report.files) {
    for (const Diagnostic& diagnostic : file.diagnostics) {
      if (!diagnostic.fixLeftOut.empty() && MatchesGlobList(onlyGlobs, diagnostic.check, diagnostic.aliases)) {
        plan.skipped.push_back(locations.Skipped(diagnostic, diagnostic.fixLeftOut));
        continue;
      }
      if (diagnostic.fix.empty() || !MatchesGlobList(onlyGlobs, diagnostic.check, diagnostic.aliases)) continue;
      if (overlapping.contains(&diagnostic)) {
        plan.skipped.push_back(locations.Skipped(diagnostic, "it overlaps another fix"));
        continue;
      }
      if (together.emplace(diagnostic.file, OwnKey(diagnostic)).second) togetherOrder.Add(diagnostic);
      TakenEdits& taken = takenByFile[diagnostic.file];
      if (AlreadyTaken(diagnostic.fix, taken)) continue;
      if (Conflicts(diagnostic.fix, taken)) {  // each fix's cleanup alone reaches into a neighbour's text
        plan.cleanupSkipped[diagnostic.file].push_back(locations.Skipped(
            diagnostic, "its cleanup meets that of a fix already applied; run zoci fix again to apply it"));
        continue;
      }
      for (const TextEdit& edit : diagnostic.fix) taken.emplace(edit.offset, edit);
      ++plan.fixCount[diagnostic.file];
    }
  }
  plan.together = togetherOrder.Tokens();
  for (auto& [path, taken] : takenByFile) {
    std::vector<TextEdit>& edits = plan.edits[path];
    edits.reserve(taken.size());
    for (auto& [offset, edit] : taken) edits.push_back(std::move(edit));
    SortForApplying(edits);
  }
  return plan;
}

void SortForApplying(std::vector<TextEdit>& edits) {
  // Edits of equal rank keep their order. std::sort over (rank, index) rather
  // than std::stable_sort, whose temporary buffer libstdc++ 12 builds with an
  // API that clang-19 reports deprecated.
  std::vector<std::pair<size_t, TextEdit>> indexed;
  indexed.reserve(edits.size());
  for (size_t index = 0; index < edits.size(); ++index) indexed.emplace_back(index, std::move(edits[index]));
  std::sort(indexed.begin(), indexed.end(), [](const auto& a, const auto& b) {
    const TextEdit& left = a.second;
    const TextEdit& right = b.second;
    if (left.offset != right.offset) return left.offset < right.offset;
    const bool leftInserts = left.length == 0;
    const bool rightInserts = right.length == 0;
    return leftInserts != rightInserts ? leftInserts : a.first < b.first;
  });
  for (size_t index = 0; index < edits.size(); ++index) edits[index] = std::move(indexed[index].second);
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
