// A sweep over the start and end points of every fix's ranges (see
// fix_conflicts.h): a range that starts, or an insertion that falls, while
// another range is open is refused, and so is a range that ends while another
// is still open.
#include "fix_conflicts.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace zoci {
namespace {

/// One point of the sweep. At one position, ends come before insertions and
/// insertions before starts, so touching ranges never overlap; starts of the
/// longer (and larger) fix come first and their ends last, so an outer range
/// is open around the ranges it contains.
struct Point {
  enum Kind { end = -1, insertion = 0, start = 1 };
  Kind kind;
  size_t fix;
  std::tuple<int64_t, int, int64_t, int64_t, size_t> order;

  Point(Kind pointKind, const TextEdit& edit, size_t fixIndex, int64_t fixSize) : kind(pointKind), fix(fixIndex) {
    const int64_t begin = edit.offset, finish = int64_t{edit.offset} + edit.length;
    if (kind == end) order = {finish, kind, -begin, fixSize, fix};
    else order = {begin, kind, -finish, -fixSize, fix};
  }
  bool operator<(const Point& other) const { return order < other.order; }
};

int64_t SizeOf(const std::vector<TextEdit>& fix) {
  int64_t size = 0;
  for (const TextEdit& edit : fix) size += edit.length;
  return size;
}

}  // namespace

std::vector<bool> RefusedFixes(const std::vector<const std::vector<TextEdit>*>& fixes) {
  std::vector<Point> points;
  for (size_t i = 0; i < fixes.size(); ++i) {
    const int64_t size = SizeOf(*fixes[i]);
    for (const TextEdit& edit : *fixes[i]) {
      if (edit.length == 0) {
        points.emplace_back(Point::insertion, edit, i, size);
      } else {
        points.emplace_back(Point::start, edit, i, size);
        points.emplace_back(Point::end, edit, i, size);
      }
    }
  }
  std::sort(points.begin(), points.end());
  std::vector<bool> refused(fixes.size(), false);
  int open = 0;
  for (const Point& point : points) {
    const bool clash = point.kind == Point::start ? open++ != 0 : point.kind == Point::end ? --open != 0 : open != 0;
    if (clash) refused[point.fix] = true;
  }
  return refused;
}

}  // namespace zoci
