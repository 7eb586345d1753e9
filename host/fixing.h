// Applying fixes the way an IDE does: the final UTF-16 replacements applied to
// the host's text, which is written back in the file's own encoding.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "report.h"

namespace zoci {

/// The edits chosen for each file, and what was left out and why.
struct FixPlan {
  std::map<std::string, std::vector<TextEdit>> edits;  ///< by file, non-overlapping, in text order
  std::map<std::string, int> fixCount;                 ///< fixes taken per file
  std::vector<std::string> skipped;                    ///< one message per fix left out
};

/// Takes the fixes of the checks matching `onlyGlobs`, in report order; a fix
/// that overlaps one already taken is left out (a repeat of it silently).
FixPlan PlanFixes(const Report& report, const std::string& onlyGlobs);

/// `text` with `edits` (non-overlapping, in text order) applied.
std::u16string ApplyEdits(std::u16string_view text, const std::vector<TextEdit>& edits);

/// Writes `text` to the file `path` names in the encoding of `like`, unless
/// the file's bytes are no longer `expectedBytes` (see file_replace.h).
bool WriteBack(const std::string& path, std::u16string_view text, const HostText& like,
               const std::string& expectedBytes, std::string& error);

}  // namespace zoci
