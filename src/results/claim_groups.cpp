#include "results/claim_groups.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <string>

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// Offsets of the text's line breaks, to find the line of an offset.
std::vector<size_t> LineBreaks(const std::string& text) {
  std::vector<size_t> breaks;
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) breaks.push_back(at);
  return breaks;
}

size_t LineOf(const std::vector<size_t>& breaks, size_t offset) {
  return static_cast<size_t>(std::lower_bound(breaks.begin(), breaks.end(), offset) - breaks.begin());
}

/// Replacements a group takes before a statement's end may close it: on a
/// long line of many fixes the cleanup's work grows with the square of a
/// group's size.
constexpr size_t kGroupSizeToSplit = 32;

/// The first and last line a claim's replacements touch, and the bytes.
struct LineSpan {
  size_t first = 0;
  size_t last = 0;
  size_t begin = 0;
  size_t end = 0;
};

LineSpan LinesOf(const ClaimedFix& claim, const std::vector<size_t>& breaks) {
  size_t begin = SIZE_MAX;
  size_t end = 0;
  for (const EngineReplacement& replacement : claim.replacements) {
    begin = std::min<size_t>(begin, replacement.offset);
    end = std::max<size_t>(end, size_t{replacement.offset} + replacement.length);
  }
  if (begin == SIZE_MAX) return {};
  return {LineOf(breaks, begin), LineOf(breaks, end), begin, end};
}

/// Whether a statement or a block ends in the text between `from` and `to`,
/// so that fixes on either side cannot meet in the cleanup.
bool StatementEndBetween(const std::string& text, size_t from, size_t to) {
  if (to > text.size() || from >= to) return false;
  return text.find_first_of(";{}", from) < to;
}

}  // namespace

std::vector<ClaimedFix> GroupedByNeighbourhood(const std::vector<ClaimedFix>& claims) {
  if (claims.empty() || !claims.front().utf8Text) return {};
  const std::vector<size_t> breaks = LineBreaks(*claims.front().utf8Text);
  std::vector<LineSpan> lines;
  lines.reserve(claims.size());
  for (const ClaimedFix& claim : claims) lines.push_back(LinesOf(claim, breaks));
  std::vector<size_t> order(claims.size());
  std::iota(order.begin(), order.end(), 0);
  // By first line; claims of one line keep their order.
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return lines[a].first != lines[b].first ? lines[a].first < lines[b].first : a < b;
  });
  const std::string& text = *claims.front().utf8Text;
  std::vector<ClaimedFix> groups;
  size_t groupLast = 0, groupEnd = 0;
  for (const size_t i : order) {
    const bool large = !groups.empty() && groups.back().replacements.size() >= kGroupSizeToSplit;
    if (groups.empty() || lines[i].first > groupLast + 1 ||
        (large && StatementEndBetween(text, groupEnd, lines[i].begin))) {
      groups.push_back(claims[i]);
      groups.back().replacements.clear();
      groupLast = lines[i].last;
      groupEnd = 0;
    }
    groupLast = std::max(groupLast, lines[i].last);
    groupEnd = std::max(groupEnd, lines[i].end);
    auto& joined = groups.back().replacements;
    joined.insert(joined.end(), claims[i].replacements.begin(), claims[i].replacements.end());
  }
  return groups;
}

}  // namespace Quillfern::ZoCodeInspections::Native
