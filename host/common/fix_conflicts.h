// Which fixes of one file conflict, judged as clang-tidy's own --fix judges
// them: each fix is the set of ranges its replacements change (before any
// cleanup); ranges that only touch do not conflict, an insertion conflicts only
// with a range it falls strictly inside, and of nested ranges the outer one is
// kept. Two fixes whose ranges cross are both refused.
#pragma once

#include <vector>

#include "report.h"

namespace zoci {

/// For each fix (its replacements, all in one file), whether it is refused.
std::vector<bool> RefusedFixes(const std::vector<const std::vector<TextEdit>*>& fixes);

}  // namespace zoci
