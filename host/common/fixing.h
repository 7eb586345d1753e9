// Applying fixes the way an IDE does: the final UTF-16 replacements applied to
// the host's text, which is written back in the file's own encoding.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "report.h"

namespace zoci {

/// The fixes chosen for each file, and what was left out and why. The fixes
/// the overlap rule takes are best finalised together (`together`), as one
/// change; when that cannot be done, `edits` holds each fix's own final edits
/// that do not meet another's.
struct FixPlan {
  /// By file: claim tokens of the fixes taken, in the order the binary applies
  /// its fixes (by place, then check, then message), which decides the order of
  /// insertions at one place.
  std::map<std::string, std::vector<int32_t>> together;
  std::vector<std::string> skipped;                      ///< one message per fix left out, and why
  std::map<std::string, std::vector<TextEdit>> edits;    ///< by file, non-overlapping, in text order
  std::map<std::string, int> fixCount;                   ///< fixes in `edits` per file
  std::map<std::string, std::vector<std::string>> cleanupSkipped;  ///< by file: left out of `edits` only
};

/// Takes the fixes of the checks matching `onlyGlobs`, in report order; a fix
/// that overlaps another or also changes other files is left out (a repeat of
/// one taken silently).
FixPlan PlanFixes(const Report& report, const std::string& onlyGlobs);

/// `edits` in the order ApplyEdits takes them: by offset, an insertion before
/// a replacement at the same place, insertions at one place in their order.
void SortForApplying(std::vector<TextEdit>& edits);

/// `text` with `edits` (non-overlapping, in text order) applied.
std::u16string ApplyEdits(std::u16string_view text, const std::vector<TextEdit>& edits);

/// Writes `text` to the file `path` names in the encoding of `like`, unless
/// the file's bytes are no longer `expectedBytes` (see file_replace.h).
bool WriteBack(const std::string& path, std::u16string_view text, const HostText& like,
               const std::string& expectedBytes, std::string& error);

}  // namespace zoci
