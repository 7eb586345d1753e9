// The line search and the walk within a line that both mappers share.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mapping/utf_index_mappers.h"
#include "utf/utf8_sequence.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// The line i with table[i] <= x < table[i + 1], searched from line `lowest`.
/// A span mostly lies on one line, so the lowest line is tried first; the
/// search itself is branch-free.
std::optional<uint32_t> FindLine(const std::vector<uint32_t>& table, uint32_t x, uint32_t lowest) {
  if (table.size() < 2 || lowest > table.size() - 2 || x < table[lowest]) return std::nullopt;
  if (x < table[lowest + 1]) return lowest;
  const uint32_t* line = table.data() + lowest;
  for (size_t count = table.size() - lowest; count > 1;) {
    const size_t half = count / 2;
    line = line[half] <= x ? line + half : line;
    count -= half;
  }
  const auto index = static_cast<size_t>(line - table.data());
  if (index == table.size() - 1) return std::nullopt;  // at or past the sentinel
  return static_cast<uint32_t>(index);
}

/// Whether the eight bytes at `p` are all below 0x80 (one unit each).
bool EightAsciiBytes(const char* p) {
  uint64_t bytes;
  std::memcpy(&bytes, p, sizeof bytes);
  return (bytes & 0x8080808080808080ull) == 0;
}

}  // namespace

std::optional<uint32_t> UtfIndexMapper::LineOf(uint32_t utf8Offset) const {
  if (utf8LineStarts.empty() || utf8Offset >= utf8LineStarts.back()) return std::nullopt;
  const auto above = std::upper_bound(utf8LineStarts.begin(), utf8LineStarts.end(), utf8Offset);
  return static_cast<uint32_t>(above - utf8LineStarts.begin() - 1);
}

bool UtfIndexMapper::AdvanceToUtf8Offset(uint32_t& index, uint32_t start, uint32_t target) const {
  return WalkTo(index, start, target);
}

bool UtfIndexMapper::WalkTo(uint32_t& index, uint32_t& offset, uint32_t target) const {
  if (offset >= target) return true;
  const std::string_view text = Utf8View();
  while (target - offset >= 8 && offset + 8 <= text.size() && EightAsciiBytes(text.data() + offset)) {
    index += 8;
    offset += 8;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  while (offset < target) {
    if (offset >= text.size()) return false;
    const Utf8Sequence sequence = DecodeUtf8Sequence(bytes + offset, text.size() - offset);
    offset += sequence.bytes;
    index += sequence.Units();
  }
  return true;
}

bool UtfIndexMapper::WalkOnLine(uint32_t line, uint32_t& index, uint32_t& offset, uint32_t target) const {
  // Every sequence makes at most as many units as it has bytes, and only a
  // single byte makes exactly one, so a line with as many bytes as units has
  // one unit per byte.
  const bool plain =
      utf8LineStarts[line + 1] - utf8LineStarts[line] == utf16LineStarts[line + 1] - utf16LineStarts[line];
  if (!plain || offset >= target) return WalkTo(index, offset, target);
  index += target - offset;
  offset = target;
  return true;
}

std::optional<uint32_t> UtfIndexMapper::Utf8OffsetOf(uint32_t index) const {
  if (index > Utf16View().size()) return std::nullopt;
  const auto above = std::upper_bound(utf16LineStarts.begin(), utf16LineStarts.end(), index);
  const auto line = static_cast<size_t>(above - utf16LineStarts.begin() - 1);
  uint32_t reached = utf16LineStarts[line];
  uint32_t offset = utf8LineStarts[line];
  const std::string_view text = Utf8View();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  while (reached < index && offset < text.size()) {
    const Utf8Sequence sequence = DecodeUtf8Sequence(bytes + offset, text.size() - offset);
    offset += sequence.bytes;
    reached += sequence.Units();
  }
  return offset;
}

bool UtfIndexMapper::Utf8LengthOfRange(uint32_t& offset, uint32_t from, uint32_t to) const {
  if (from >= to) return true;
  const std::optional<uint32_t> begin = Utf8OffsetOf(from);
  const std::optional<uint32_t> end = Utf8OffsetOf(to);
  if (!begin || !end) return false;
  offset += *end - *begin;
  return true;
}

bool UtfIndexMapper::IsValid() const {
  return Utf8Text() != nullptr && Utf16Text() != nullptr && Utf16View().size() <= Utf8View().size() &&
         !utf8LineStarts.empty() && utf8LineStarts.size() == utf16LineStarts.size();
}

bool UtfIndexMapper::MapSpan(uint32_t& begin16, uint32_t& end16, uint32_t begin8, uint32_t end8, uint32_t* beginLine,
                             uint32_t* endLine, Utf8Origin origin) const {
  if (begin8 == 0 && end8 == 0) {
    begin16 = end16 = 0;
    return true;
  }
  try {
    if (origin == Utf8Origin::textStart) {
      if (begin8 < utf8Skip) return false;
      begin8 -= utf8Skip;
      end8 -= utf8Skip;
    }
    const std::optional<uint32_t> first = FindLine(utf8LineStarts, begin8, 0);
    if (!first) return false;
    const std::optional<uint32_t> last = FindLine(utf8LineStarts, end8, *first);
    if (!last) return false;
    uint32_t mappedBegin = utf16LineStarts[*first];
    uint32_t beginReached = utf8LineStarts[*first];
    if (!WalkOnLine(*first, mappedBegin, beginReached, begin8)) return false;
    // On the same line the end is further along the same walk.
    const bool continueWalk = *last == *first && end8 >= begin8;
    uint32_t mappedEnd = continueWalk ? mappedBegin : utf16LineStarts[*last];
    uint32_t endReached = continueWalk ? beginReached : utf8LineStarts[*last];
    if (!WalkOnLine(*last, mappedEnd, endReached, end8) || mappedBegin > mappedEnd) return false;
    begin16 = mappedBegin;
    end16 = mappedEnd;
    if (beginLine != nullptr) *beginLine = *first;
    if (endLine != nullptr) *endLine = *last;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

size_t UtfIndexMapper::Footprint() const { return sizeof(uint32_t) * (utf8LineStarts.size() + utf16LineStarts.size()); }

void UtfIndexMapper::AddLineStart(uint32_t utf8Offset, uint32_t utf16Index) {
  utf8LineStarts.push_back(utf8Offset);
  utf16LineStarts.push_back(utf16Index);
}

void UtfIndexMapper::CloseTables(uint32_t utf8Length, uint32_t utf16Length) {
  AddLineStart(utf8Length + 1, utf16Length + 1);
}

namespace {

void DumpTable(std::string& out, const char* heading, const std::vector<uint32_t>& table) {
  out += heading;
  char line[64];
  for (size_t i = 0; i < table.size(); ++i) {
    std::snprintf(line, sizeof line, "  ln%5u : %6zu\n", static_cast<unsigned>(i + 1), static_cast<size_t>(table[i]));
    out += line;
  }
}

}  // namespace

std::string UtfIndexMapper::DumpTables(const char* className) const {
  std::string out = std::string(className) + "\n\n";
  DumpTable(out, "utf8 side lines at:\n", utf8LineStarts);
  DumpTable(out, "utf16 side lines at:\n", utf16LineStarts);
  return out;
}

}  // namespace Quillfern::ZoCodeInspections::Native
