// Claimed fixes of one text grouped for finalising together. Fixes whose
// replacements lie on the same or neighbouring lines can meet in the cleanup
// (a comma between two initialisers, say), so they are finalised as one
// change; groups further apart cannot meet and are finalised apart, which keeps
// the work linear in the number of fixes (the cleanup compares every affected
// line with every replacement it is given). A large group is also closed at a
// statement's end between two fixes, so a long line of many fixes is
// finalised in pieces.
#pragma once

#include <vector>

#include "results/claims.h"

namespace Quillfern::ZoCodeInspections::Native {

/// `claims` (all of one text) as groups, each one claim holding the
/// replacements of its fixes in their order; groups in text order.
std::vector<ClaimedFix> GroupedByNeighbourhood(const std::vector<ClaimedFix>& claims);

}  // namespace Quillfern::ZoCodeInspections::Native
