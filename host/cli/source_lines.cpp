// Line tables per source of a report (see source_lines.h).
#include "source_lines.h"

namespace zoci {

SourceLines::SourceLines(const Report& report) {
  for (const auto& [path, text] : report.sources) lines_.emplace(path, LineIndex(text.text));
}

const LineIndex* SourceLines::Find(const std::string& path) const {
  const auto found = lines_.find(path);
  return found == lines_.end() ? nullptr : &found->second;
}

SpanPositions SourceLines::Positions(const std::string& path, uint32_t offset, uint32_t length) const {
  const LineIndex* lines = Find(path);
  if (!lines) return SpanPositions{offset, length, {1, offset + 1}, {1, offset + length + 1}};
  return SpanPositions{offset, length, lines->PositionOf(offset), lines->PositionOf(offset + length)};
}

}  // namespace zoci
