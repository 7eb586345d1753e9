// Fix planning, application and writing back (see fixing.h).
#include "fixing.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "fix_conflicts.h"
#include "glob.h"
#include "file_replace.h"
#include "text_lines.h"

namespace zoci {
namespace {

/// Whether two edits change the same text (an insertion where a range starts or ends does not).
bool Overlaps(const TextEdit& a, const TextEdit& b) {
  const bool insertions = a.length == 0 && b.length == 0;
  if (insertions) return false;
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
  for (const InspectedFile& file : report.files) {
    for (const Diagnostic& diagnostic : file.diagnostics) {
      if (diagnostic.fix.empty() || !MatchesGlobList(onlyGlobs, diagnostic.check)) continue;
      std::vector<TextEdit>& taken = plan.edits[diagnostic.file];
      if (overlapping.count(&diagnostic) != 0) {
        plan.skipped.push_back(Where(report, diagnostic) + ": fix of [" + diagnostic.check +
                               "] skipped: it overlaps another fix");
        continue;
      }
      if (AlreadyTaken(diagnostic.fix, taken)) continue;
      if (Conflicts(diagnostic.fix, taken)) {  // each fix's cleanup alone reaches into a neighbour's text
        plan.skipped.push_back(Where(report, diagnostic) + ": fix of [" + diagnostic.check +
                               "] skipped: its cleanup meets that of a fix already applied; run zoci fix again to apply it");
        continue;
      }
      taken.insert(taken.end(), diagnostic.fix.begin(), diagnostic.fix.end());
      ++plan.fixCount[diagnostic.file];
    }
  }
  for (auto& [path, edits] : plan.edits) {
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
