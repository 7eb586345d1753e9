// Reads one source file from disk for the source cache: opens it with a short
// bounded retry (editors briefly lock files while saving), refuses files of
// 2 GiB or more, maps it read-only and hands its bytes to the encoding
// detection and conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "buffers/encodings.h"

namespace Quillfern::ZoCodeInspections::Native {

/// The largest file that is loaded: 2^31 - 1 bytes.
inline constexpr uint64_t kLargestFileSize = 0x7FFFFFFFu;

/// A loaded file: its text for the engine and what was learnt about it.
using LoadedFile = FileContent;

/// Loads and converts a file under the calling thread's conversion settings.
/// None when it cannot be opened (after the retries; at once on a sharing
/// violation or when it failed before), is too large, cannot be mapped, or
/// is big-endian UTF-16. Conversion errors propagate.
std::optional<LoadedFile> LoadFile(std::string_view utf8Path);

}  // namespace Quillfern::ZoCodeInspections::Native
