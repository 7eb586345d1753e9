// Choosing and building the mapper for a text whose encoding is detected (or
// known): the source cache, the service and the dumps get their mappers here.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "interop/utf_index_mapper.h"
#include "utf/encoding_detection.h"

namespace Quillfern::ZoCodeInspections::Native {

/// A mapper over UTF-16 text detected as little-endian UTF-16 (leaving a BOM
/// unit out); none for any other detection or a null text.
std::shared_ptr<IUtfIndexMapper> MakeMapperFromUtf16(std::shared_ptr<const std::u16string> text);

/// A mapper over all units of a UTF-16 text known to be one (an editor's
/// buffer): no detection, so any text gets one; none for a null text.
std::shared_ptr<IUtfIndexMapper> MakeMapperOfUnits(std::shared_ptr<const std::u16string> text);

/// A mapper over UTF-8 bytes (or UTF-16 bytes of either byte order) of the
/// given encoding, detected when not given; none for ANSI, ASCII, None or a
/// null text.
std::shared_ptr<IUtfIndexMapper> MakeMapperFromUtf8(std::shared_ptr<const std::string> text,
                                                    std::optional<Encoding> encoding);

}  // namespace Quillfern::ZoCodeInspections::Native
