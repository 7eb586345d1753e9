#include "buffers/source_cache.h"

#include "buffers/file_loading.h"
#include "hostlib/zoipc.h"
#include "mapping/mapper_factories.h"
#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// The process-wide maps, under one recursive mutex.
struct ProcessCache {
  std::recursive_mutex mutex;
  /// Converted files, files kept for their mapper, modified buffers.
  FileRecords convertedFiles;
  /// Files the engine can read from disk as they are.
  FileInfos conversionNotNeeded;
};

ProcessCache& processCache() {
  static ProcessCache cache;
  return cache;
}

/// The maps of the parse running on this thread.
struct ThreadCache {
  FileKeys conversionNotNeeded;
  FileRecords modifiedBuffers;
};

#if defined(_WIN32)
// The mingw runtime runs the destructors of thread-local objects after it
// has released their storage, so the thread's maps live on the heap and are
// freed by ReleaseThreadCache.
thread_local ThreadCache* threadCacheOnHeap = nullptr;

ThreadCache& threadCache() {
  if (threadCacheOnHeap == nullptr) threadCacheOnHeap = new ThreadCache;
  return *threadCacheOnHeap;
}
#else
ThreadCache& threadCache() {
  thread_local ThreadCache cache;
  return cache;
}
#endif

std::optional<FileInfo> ReadFileInfo(std::string_view path) {
  Platform::OpenResult opened = Platform::OpenForRead(Platform::PathToUtf16(path));
  if (opened.outcome != Platform::OpenOutcome::ok) return std::nullopt;
  const std::optional<uint64_t> size = opened.file.Size();
  const std::optional<int64_t> time = opened.file.LastWriteTime();
  if (!size || *size > kLargestFileSize || !time) return std::nullopt;
  return FileInfo{*size, *time};
}

/// The derived forms of a file record. Both come from the text the engine
/// reads: the mapper is built from it and makes the UTF-16 text on the way,
/// so positions do not depend on which form was asked for first. The
/// producers live inside the record they read, so a plain pointer to it
/// cannot dangle.
void SetFileProducers(clfile* record) {
  record->mapper.set_producer([record]() -> std::shared_ptr<IUtfIndexMapper> {
    auto mapper = MakeMapperFromUtf8(record->utf8Text.get(), Encoding::UTF8_NOBOM);
    if (mapper && !record->utf16Text.has_value()) record->utf16Text.set(mapper->Utf16Text());
    return mapper;
  });
  record->utf16Text.set_producer([record] {
    const std::shared_ptr<IUtfIndexMapper> mapper = record->mapper.get();
    return mapper ? mapper->Utf16Text() : std::make_shared<const std::u16string>();
  });
}

/// Loads a new record; none when the file cannot be loaded, or needs no
/// conversion while only converted files are wanted.
std::shared_ptr<clfile> Fill(const std::shared_ptr<clfile>& record, bool keepUnconverted) {
  std::lock_guard recordLock(record->mutex);
  const std::optional<LoadedFile> loaded = LoadFile(record->path);
  if (!loaded) return nullptr;

  ProcessCache& cache = processCache();
  std::scoped_lock both(record->mutex, cache.mutex);
  if (!loaded->converted) {
    threadCache().conversionNotNeeded.insert(record->key);
    cache.conversionNotNeeded[record->key] = record->fileInfo;
    if (!keepUnconverted) return nullptr;
  }
  record->utf8Text.set(loaded->content);
  record->clangSideBom = loaded->bomLength;
  record->encoding = loaded->encoding;
  record->converted = loaded->converted;
  record->modifiedBuffer = false;
  SetFileProducers(record.get());
  cache.convertedFiles[record->key] = record;
  return record;
}

/// What the cache knows of a file with the given facts.
struct Lookup {
  /// The engine can read the unchanged file from disk: nothing to load.
  bool readableAsItIs = false;
  /// The current record, if any.
  std::shared_ptr<clfile> record;
};

/// Looks a file up, dropping entries made for other facts of it.
Lookup FindCurrent(const std::string& key, const FileInfo& info, bool keepUnconverted) {
  ProcessCache& cache = processCache();
  std::lock_guard lock(cache.mutex);
  if (!keepUnconverted) {
    if (auto found = cache.conversionNotNeeded.find(key); found != cache.conversionNotNeeded.end()) {
      if (found->second == info) return {true, nullptr};
      cache.conversionNotNeeded.erase(found);
    }
  }
  if (auto found = cache.convertedFiles.find(key); found != cache.convertedFiles.end()) {
    if (found->second->fileInfo == info) return {false, found->second};
    cache.convertedFiles.erase(found);  // stale; its holders keep it alive
  }
  return {};
}

bool IsConverted(clfile& record) {
  std::lock_guard lock(record.mutex);
  return record.converted.value_or(false);
}

}  // namespace

std::shared_ptr<clfile> GetFile(std::string_view name, std::string_view path, bool keepUnconverted) {
  if (name.empty() || path.empty()) return nullptr;
  std::string key = FileKeyOf(path);
  ThreadCache& thread = threadCache();
  if (auto found = thread.modifiedBuffers.find(key); found != thread.modifiedBuffers.end()) {
    Touch(*found->second);
    return found->second;
  }
  if (!keepUnconverted && (!zoIPC::clangtidy_convert_to_utf8 || thread.conversionNotNeeded.contains(key))) {
    return nullptr;
  }
  const std::optional<FileInfo> info = ReadFileInfo(path);
  if (!info) return nullptr;

  const Lookup known = FindCurrent(key, *info, keepUnconverted);
  if (known.readableAsItIs) return nullptr;
  std::shared_ptr<clfile> record = known.record;
  if (record) {
    Touch(*record);
  } else {
    record =
        Fill(std::make_shared<clfile>(std::string(name), std::string(path), std::move(key), *info), keepUnconverted);
  }
  if (record && !keepUnconverted && !IsConverted(*record)) return nullptr;
  return record;
}

std::shared_ptr<IUtfIndexMapper> GetMapper(std::string_view name, std::string_view path,
                                           std::shared_ptr<clfile>* record) {
  std::shared_ptr<clfile> found = GetFile(name, path, true);
  if (record != nullptr) *record = found;
  return found ? GetRecordMapper(*found) : nullptr;
}

std::shared_ptr<IUtfIndexMapper> GetRecordMapper(clfile& record) {
  std::lock_guard lock(record.mutex);
  if (record.mapper.empty()) return nullptr;
  return record.mapper.get();
}

std::shared_ptr<clfile> AddModifiedBuffer(const std::string& key, std::string_view name, std::string_view path,
                                          std::shared_ptr<const std::u16string> text) {
  const FileInfo info{2 * static_cast<uint64_t>(text ? text->size() : 0), NowSeconds()};
  auto record = std::make_shared<clfile>(std::string(name), std::string(path), key, info);
  clfile* self = record.get();
  record->utf16Text.set(std::move(text));
  record->encoding = Encoding::UTF16_LE_NOBOM;
  record->clangSideBom = 0;
  record->modifiedBuffer = true;
  record->converted = true;
  record->utf8Text.set_producer([self] {
    const auto utf16 = self->utf16Text.get();
    return std::make_shared<const std::string>(Utf16ToUtf8(utf16->data(), utf16->size()));
  });
  record->mapper.set_producer([self] { return MakeMapperOfUnits(self->utf16Text.get()); });

  ProcessCache& cache = processCache();
  std::lock_guard lock(cache.mutex);
  cache.convertedFiles[key] = record;
  return record;
}

void UseModifiedBufferOnThisThread(const std::shared_ptr<clfile>& record) {
  threadCache().modifiedBuffers[record->key] = record;
}

void ClearCache(CacheScope scope) {
  {
    ProcessCache& cache = processCache();
    std::lock_guard lock(cache.mutex);
    cache.convertedFiles.clear();
    cache.conversionNotNeeded.clear();
  }
  if (scope == CacheScope::processAndThisThread) {
    threadCache().conversionNotNeeded.clear();
    threadCache().modifiedBuffers.clear();
  }
}

size_t MemoryUsage(clfile& record) {
  std::lock_guard lock(record.mutex);
  size_t bytes = sizeof(clfile) + record.name.capacity() + record.path.capacity() + record.key.capacity();
  if (record.utf8Text.has_value() && record.utf8Text.value()) {
    bytes += record.utf8Text.value()->capacity();
  }
  if (record.utf16Text.has_value() && record.utf16Text.value()) {
    bytes += 2 * record.utf16Text.value()->capacity();
  }
  if (record.mapper.has_value() && record.mapper.value()) bytes += record.mapper.value()->Footprint();
  return bytes;
}

void Touch(clfile& record) {
  record.lastUsed = NowSeconds();
  ++record.useCount;
}

void InspectCache(const std::function<void(const CacheContents&)>& visit) {
  ProcessCache& cache = processCache();
  std::lock_guard lock(cache.mutex);
  const ThreadCache& thread = threadCache();
  visit(CacheContents{cache.convertedFiles, cache.conversionNotNeeded, thread.modifiedBuffers,
                      thread.conversionNotNeeded});
}

void ReleaseThreadCache() {
#if defined(_WIN32)
  delete threadCacheOnHeap;
  threadCacheOnHeap = nullptr;
#else
  threadCache() = ThreadCache();
#endif
}

}  // namespace Quillfern::ZoCodeInspections::Native
