#include "results/qfix_order.h"

#include <algorithm>
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
  std::stable_sort(records.begin(), records.end(), QfixBefore);
  records.erase(std::unique(records.begin(), records.end(), QfixDuplicates), records.end());
}

}  // namespace Quillfern::ZoCodeInspections::Native
