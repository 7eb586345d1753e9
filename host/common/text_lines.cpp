// Line tables over host UTF-16 text (see text_lines.h). A line ends at "\n",
// "\r\n" or a lone "\r", as editors count them.
#include "text_lines.h"

#include <algorithm>

namespace zoci {

LineIndex::LineIndex(std::u16string_view text) : text_(text), starts_{0} {
  for (uint32_t i = 0; i < text.size(); ++i) {
    const bool crlf = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
    if (crlf) ++i;
    if (text[i] == u'\n' || text[i] == u'\r') starts_.push_back(i + 1);
  }
}

Position LineIndex::PositionOf(uint32_t offset) const {
  offset = std::min<uint32_t>(offset, static_cast<uint32_t>(text_.size()));
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
  const auto line = static_cast<uint32_t>(after - starts_.begin());
  return Position{line, offset - starts_[line - 1] + 1};
}

uint32_t LineIndex::LineStart(uint32_t line) const {
  return line == 0 || line > starts_.size() ? static_cast<uint32_t>(text_.size()) : starts_[line - 1];
}

std::u16string_view LineIndex::LineText(uint32_t line) const {
  const uint32_t begin = LineStart(line);
  uint32_t end = line < starts_.size() ? starts_[line] : static_cast<uint32_t>(text_.size());
  while (end > begin && (text_[end - 1] == u'\n' || text_[end - 1] == u'\r')) --end;
  return text_.substr(begin, end - begin);
}

}  // namespace zoci
