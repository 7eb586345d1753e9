// The process-wide cache of source files and of the host's unsaved editor
// buffers. A record is found by its file key and kept until it is found stale
// (new size or last-write time) or the cache is cleared; its derived forms
// are produced on first use. Locks: a record's mutex before the cache mutex,
// both recursive; the per-thread maps need none.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "buffers/clfile.h"
#include "buffers/fnv1a.h"

namespace Quillfern::ZoCodeInspections::Native {

using ClangTidy::clfile;

/// Records by file key.
using FileRecords = std::unordered_map<std::string, std::shared_ptr<clfile>, Fnv1aHash>;
/// File facts by file key.
using FileInfos = std::unordered_map<std::string, FileInfo, Fnv1aHash>;
/// File keys.
using FileKeys = std::unordered_set<std::string, Fnv1aHash>;

/// The record of a file, loaded now when the cache has no current one.
/// With keepUnconverted false (engine mode: what the engine is to be given)
/// only records whose text differs from the disk, and only while the host's
/// switch allows converted text; with true any loadable file. None for an
/// empty name or path, a file that cannot be read or loaded. Conversion
/// errors propagate.
std::shared_ptr<clfile> GetFile(std::string_view name, std::string_view path, bool keepUnconverted);

/// The mapper of a file (GetFile keeping unconverted files); the record too
/// when `record` is given. None when there is no record or mapper.
std::shared_ptr<IUtfIndexMapper> GetMapper(std::string_view name, std::string_view path,
                                           std::shared_ptr<clfile>* record = nullptr);

/// The record's mapper, produced now if need be; none when it has none.
std::shared_ptr<IUtfIndexMapper> GetRecordMapper(clfile& record);

/// Makes the record of a host editor buffer and puts it into the cache in
/// place of the file's own record.
std::shared_ptr<clfile> AddModifiedBuffer(const std::string& key, std::string_view name, std::string_view path,
                                          std::shared_ptr<const std::u16string> text);

/// Lets the calling thread's lookups of the record's key find the record
/// first (the unsaved buffers of the parse that runs on this thread).
void UseModifiedBufferOnThisThread(const std::shared_ptr<clfile>& record);

/// Frees the calling thread's maps; a thread that used the cache calls it
/// before it ends.
void ReleaseThreadCache();

/// Which maps ClearCache empties.
enum class CacheScope {
  process,               ///< the process-wide maps only
  processAndThisThread,  ///< the process-wide maps and the calling thread's
};

/// Empties the maps of `scope`.
void ClearCache(CacheScope scope);

/// Approximate bytes a record holds (derived forms only once produced).
size_t MemoryUsage(clfile& record);

/// Marks a record as used now.
void Touch(clfile& record);

/// The cache's maps as one thread sees them, for reports.
struct CacheContents {
  const FileRecords& convertedFiles;
  const FileInfos& conversionNotNeeded;
  const FileRecords& threadModifiedBuffers;
  const FileKeys& threadConversionNotNeeded;
};

/// Calls `visit` with the cache's contents while holding the cache mutex.
void InspectCache(const std::function<void(const CacheContents&)>& visit);

}  // namespace Quillfern::ZoCodeInspections::Native
