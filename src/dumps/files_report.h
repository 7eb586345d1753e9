// The report of what the source cache holds (converted files, modified
// buffers, files read as they are), how much memory it and the claimed fixes
// take, and the one-line description of a cache record used in run logs.
#pragma once

#include <string>

#include "buffers/clfile.h"

namespace Quillfern::ZoCodeInspections::Native {

/// "(<size> bytes; <local last-write time>)"; the time reads
/// "(modified buffer)" when it is 0 and "(???)" when it cannot be converted.
std::string FileInfoText(const FileInfo& info);

/// One line (without line break) on a record: name, size and time, encoding
/// as the calling thread's conversion settings read it, BOM, kind; with its
/// memory use when asked.
std::string DescribeRecord(ClangTidy::clfile& record, bool withMemory);

/// The cache and claim report of the calling thread's view, ending with the
/// memory total in KiB.
std::string FilesReport();

}  // namespace Quillfern::ZoCodeInspections::Native
