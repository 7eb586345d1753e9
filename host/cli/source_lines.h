// The line tables of a report's sources, built once per output so that each
// position costs a binary search.
#pragma once

#include <map>
#include <string>

#include "report.h"
#include "text_lines.h"

namespace zoci {

/// A span in both forms: offset and length, and 1-based start and end
/// (exclusive) positions.
struct SpanPositions {
  uint32_t offset = 0;
  uint32_t length = 0;
  Position start;
  Position end;
};

/// Refers to the report's texts: lives no longer than the report.
class SourceLines {
 public:
  explicit SourceLines(const Report& report);
  /// The line table of `path`, none when zoci has no text for it.
  const LineIndex* Find(const std::string& path) const;
  /// The positions of [offset, offset + length) of `path` (line 1 counted
  /// from the offset alone when zoci has no text for it).
  SpanPositions Positions(const std::string& path, uint32_t offset, uint32_t length) const;

 private:
  std::map<std::string, LineIndex> lines_;
};

}  // namespace zoci
