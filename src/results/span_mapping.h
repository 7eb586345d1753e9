// The per-file functions that turn engine positions (UTF-8 byte offsets in
// the text the engine read, byte order mark included) into host spans.
#pragma once

#include <functional>
#include <memory>

#include "buffers/clfile.h"
#include "interop/qfix.h"

namespace Quillfern::ZoCodeInspections::Native {

/// An engine offset to an offset in the file's text without its BOM.
using OffsetAdjustFunction = std::function<uint32_t(uint32_t offset)>;

/// Subtracts the record's BOM length (never below 0); the offset unchanged
/// without a record or BOM information.
OffsetAdjustFunction MakeOffsetAdjust(ClangTidy::clfile* record);

/// Maps (offset, length) with the mapper after adjusting the offset; (-1,
/// the engine range unchanged) without a mapper or when it refuses.
SpanMapFunction MakeSpanMap(std::shared_ptr<IUtfIndexMapper> mapper, OffsetAdjustFunction adjust);

}  // namespace Quillfern::ZoCodeInspections::Native
