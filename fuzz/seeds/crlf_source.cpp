#include <vector>

int Sum(const std::vector<int>& v) {
  int total = 0;  // total
  for (int x : v) total += x;
  return total;
}


