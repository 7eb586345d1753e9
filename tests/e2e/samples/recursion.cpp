#include <algorithm>
#include <vector>

// Recursion that runs through a standard algorithm: the cycle passes through
// code in a system header.
void Visit(std::vector<int>& items, int depth) {
  std::for_each(items.begin(), items.end(), [&](int) { if (depth > 0) Visit(items, depth - 1); });
}
