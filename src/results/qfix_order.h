// The order of a run's quick-fix records and the test for duplicates: by
// file name (ASCII case ignored), trigger start, trigger length, message.
#pragma once

#include <vector>

#include "interop/qfix.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Whether `a` comes before `b`.
bool QfixBefore(const qfix& a, const qfix& b);

/// Same trigger span, same file name ignoring ASCII case, same message
/// (check names, actions and the rest are not compared).
bool QfixDuplicates(const qfix& a, const qfix& b);

/// Sorts the records and keeps the first of each run of duplicates.
void SortAndDeduplicate(std::vector<qfix>& records);

}  // namespace Quillfern::ZoCodeInspections::Native
