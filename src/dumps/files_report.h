// The report of what the source cache holds (converted files, modified
// buffers, files read as they are), how much memory it and the claimed fixes
// take, and the one-line description of a cache record used in run logs.
#pragma once

#include <string>

#include "buffers/clfile.h"
#include "buffers/source_cache.h"
#include "results/claims.h"

namespace Quillfern::ZoCodeInspections::Native {

/// "(<size> bytes; <local last-write time>)"; the time reads
/// "(modified buffer)" when it is 0 and "(???)" when it cannot be converted.
std::string FileInfoText(const FileInfo& info);

/// How much DescribeRecord says.
enum class RecordDetail {
  brief,
  withMemory,  ///< also the bytes the record holds
};

/// One line (without line break) on a record: name, size and time, encoding
/// as `settings` read it, BOM, kind.
std::string DescribeRecord(ClangTidy::clfile& record, const ConversionSettings& settings, RecordDetail detail);

/// The report of the cache as `files` sees it (under its settings) and of
/// the claims, ending with the memory total in KiB.
std::string FilesReport(const CacheView& files, const ClaimStore& claims);

}  // namespace Quillfern::ZoCodeInspections::Native
