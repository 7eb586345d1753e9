#include "results/qfix_order.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

bool QfixBefore(const qfix& a, const qfix& b) {
  const int byName = Platform::StrICmp(a.filename.c_str(), b.filename.c_str());
  if (byName != 0) return byName < 0;
  return std::tie(a.triggerspan.start, a.triggerspan.length, a.message) <
         std::tie(b.triggerspan.start, b.triggerspan.length, b.message);
}

bool QfixDuplicates(const qfix& a, const qfix& b) {
  return a.triggerspan == b.triggerspan && a.message == b.message &&
         Platform::StrICmp(a.filename.c_str(), b.filename.c_str()) == 0;
}

void SortAndDeduplicate(std::vector<qfix>& records) {
  // Records that order alike keep the engine's order, so the first of a run
  // of duplicates is the one the engine reported first.
  std::vector<size_t> order(records.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (QfixBefore(records[a], records[b])) return true;
    return !QfixBefore(records[b], records[a]) && a < b;
  });
  std::vector<qfix> sorted;
  sorted.reserve(records.size());
  for (const size_t index : order) sorted.push_back(std::move(records[index]));
  sorted.erase(std::unique(sorted.begin(), sorted.end(), QfixDuplicates), sorted.end());
  records = std::move(sorted);
}

}  // namespace Quillfern::ZoCodeInspections::Native
