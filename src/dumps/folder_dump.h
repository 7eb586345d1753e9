// Writes out what the source cache holds for every file: the UTF-8 text the
// engine read, the UTF-16 text the host sees, the mapper's line tables and
// the text of the latest detailed run. For diagnosing wrong offsets or wrong
// conversions.
#pragma once

#include <string>

namespace Quillfern::ZoCodeInspections::Native {

/// Writes "<name>.<bom>.utf8", "<name>.unicode", "<name>.mapper" and
/// "<name>.yaml" into `folder` for each cached file (only the forms the
/// record holds); nothing when the cache is empty. Files that cannot be
/// written are skipped.
void DumpToFolder(const std::string& folder);

}  // namespace Quillfern::ZoCodeInspections::Native
