// The cache of source files and of the host's unsaved editor buffers. A
// record is found by its file key and kept until it is found stale (new size
// or last-write time) or the cache is cleared; its derived forms are produced
// on first use. Locks: a record's mutex before the cache mutex, both
// recursive; a view's own maps need none.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "buffers/clfile.h"
#include "buffers/file_loading.h"
#include "buffers/fnv1a.h"

namespace Quillfern::ZoCodeInspections::Native {

using ClangTidy::clfile;

/// Records by file key.
using FileRecords = std::unordered_map<std::string, std::shared_ptr<clfile>, Fnv1aHash>;
/// File facts by file key.
using FileInfos = std::unordered_map<std::string, FileInfo, Fnv1aHash>;
/// File keys.
using FileKeys = std::unordered_set<std::string, Fnv1aHash>;

/// Which records a lookup hands out.
enum class FileWanted {
  /// What the engine is to be given: only records whose text differs from
  /// the disk, and only while the host's switch allows converted text.
  converted,
  /// Any loadable file (for mappers, directives and claims).
  anyLoadable,
};

/// The maps every run and host call shares, under one recursive mutex, and
/// the loader that fills them.
class SourceCache {
 public:
  explicit SourceCache(FileOpener opener = Platform::OpenForRead) : loader_(std::move(opener)) {}
  SourceCache(const SourceCache&) = delete;
  SourceCache& operator=(const SourceCache&) = delete;

  /// Empties the shared maps (the views keep theirs).
  void Clear();

  /// Empties the cache when `settings` load files differently from those of
  /// the previous call: its records were made under the old ones. A run
  /// calls it before it loads anything.
  void UseSettings(const ConversionSettings& settings);

  /// Makes the record of a host editor buffer and puts it into the cache in
  /// place of the file's own record.
  std::shared_ptr<clfile> AddModifiedBuffer(const std::string& key, std::string_view name, std::string_view path,
                                            std::shared_ptr<const std::u16string> text);

 private:
  friend class CacheView;

  std::recursive_mutex mutex_;
  /// Converted files, files kept for their mapper, modified buffers.
  FileRecords convertedFiles_;
  /// Files the engine can read from disk as they are.
  FileInfos conversionNotNeeded_;
  /// The settings of the latest UseSettings.
  std::optional<ConversionSettings> settings_;
  FileLoader loader_;
};

/// The cache's maps as one view sees them, for reports.
struct CacheContents {
  const FileRecords& convertedFiles;
  const FileInfos& conversionNotNeeded;
  const FileRecords& viewModifiedBuffers;
  const FileKeys& viewConversionNotNeeded;
};

/// One run's view of the cache (or a host call's, with default settings):
/// the conversion settings files are loaded with, and the maps only that run
/// sees: its unsaved buffers, and the files it found the engine can read as
/// they are. Used by one thread at a time.
class CacheView {
 public:
  explicit CacheView(SourceCache& cache, ConversionSettings settings = {}) : cache_(cache), settings_(settings) {}

  /// The record of a file, loaded now when the cache has no current one.
  /// None for an empty name or path, a file that cannot be read or loaded,
  /// or one `wanted` excludes. Conversion errors propagate.
  std::shared_ptr<clfile> GetFile(std::string_view name, std::string_view path, FileWanted wanted);

  /// The mapper of a file (GetFile of any loadable file); the record too
  /// when `record` is given. None when there is no record or mapper.
  std::shared_ptr<IUtfIndexMapper> GetMapper(std::string_view name, std::string_view path,
                                             std::shared_ptr<clfile>* record = nullptr);

  /// Lets this view's lookups of the record's key find the record first
  /// (the unsaved buffers of the run).
  void UseModifiedBuffer(const std::shared_ptr<clfile>& record);

  /// Calls `visit` with the cache's contents while holding the cache mutex.
  void Inspect(const std::function<void(const CacheContents&)>& visit) const;

  const ConversionSettings& Settings() const { return settings_; }

 private:
  struct Lookup;
  Lookup FindCurrent(const std::string& key, const FileInfo& info, FileWanted wanted);
  std::shared_ptr<clfile> Fill(const std::shared_ptr<clfile>& record, FileWanted wanted);
  std::optional<FileInfo> ReadFileInfo(std::string_view path) const;

  SourceCache& cache_;
  ConversionSettings settings_;
  FileKeys conversionNotNeeded_;
  FileRecords modifiedBuffers_;
};

/// The record's mapper, produced now if need be; none when it has none.
std::shared_ptr<IUtfIndexMapper> GetRecordMapper(clfile& record);

/// Approximate bytes a record holds (derived forms only once produced).
size_t MemoryUsage(clfile& record);

/// Marks a record as used now.
void Touch(clfile& record);

}  // namespace Quillfern::ZoCodeInspections::Native
