// Writes out what the source cache holds for every file: the UTF-8 text the
// engine read, the UTF-16 text the host sees, the mapper's line tables and
// the text of the latest detailed run. For diagnosing wrong offsets or wrong
// conversions.
#pragma once

#include <string>

#include "buffers/source_cache.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Writes "<name>.<bom>.utf8", "<name>.unicode", "<name>.mapper" and
/// "<name>.yaml" (holding `yaml`) into `folder` for each file the cache holds
/// (only the forms the record holds); nothing when the cache is empty. Files
/// that cannot be written are skipped.
void DumpToFolder(const std::string& folder, const CacheView& files, const std::string& yaml);

}  // namespace Quillfern::ZoCodeInspections::Native
