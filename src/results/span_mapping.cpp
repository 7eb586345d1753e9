#include "results/span_mapping.h"

#include <algorithm>

namespace Quillfern::ZoCodeInspections::Native {

OffsetAdjustFunction MakeOffsetAdjust(ClangTidy::clfile* record) {
  std::optional<uint32_t> bom;
  if (record != nullptr) {
    std::lock_guard lock(record->mutex);
    bom = record->clangSideBom;
  }
  if (!bom) return [](uint32_t offset) { return offset; };
  return [bom = *bom](uint32_t offset) { return offset - std::min(bom, offset); };
}

SpanMapFunction MakeSpanMap(std::shared_ptr<IUtfIndexMapper> mapper, OffsetAdjustFunction adjust) {
  return [mapper = std::move(mapper), adjust = std::move(adjust)](uint32_t offset,
                                                                  uint32_t length) -> std::pair<int32_t, ZoSpan> {
    if (mapper) {
      const uint32_t start = adjust(offset);
      uint32_t begin16 = 0;
      uint32_t end16 = 0;
      uint32_t line = 0;
      if (mapper->MapSpan(begin16, end16, start, start + length, &line, nullptr, Utf8Origin::textStart)) {
        return {static_cast<int32_t>(line), ZoSpan{begin16, end16 - begin16}};
      }
    }
    return {-1, ZoSpan{offset, length}};
  };
}

}  // namespace Quillfern::ZoCodeInspections::Native
