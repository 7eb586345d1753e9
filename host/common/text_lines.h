// Line and column positions over a host UTF-16 text. Lines and columns are
// 1-based; a column counts UTF-16 code units, as the host's editor does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zoci {

struct Position {
  uint32_t line = 1;
  uint32_t column = 1;
};

class LineIndex {
 public:
  explicit LineIndex(std::u16string_view text);
  /// Position of a UTF-16 offset; offsets past the end clamp to the end.
  Position PositionOf(uint32_t offset) const;
  /// Offset of the first unit of 1-based `line`.
  uint32_t LineStart(uint32_t line) const;
  /// The text of 1-based `line` without its line break.
  std::u16string_view LineText(uint32_t line) const;

 private:
  std::u16string_view text_;
  std::vector<uint32_t> starts_;
};

}  // namespace zoci
