#include "buffers/source_cache.h"

#include "hostlib/zoipc.h"
#include "mapping/mapper_factories.h"
#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

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

bool IsConverted(clfile& record) {
  std::lock_guard lock(record.mutex);
  return record.converted.value_or(false);
}

}  // namespace

/// What the cache knows of a file with the given facts.
struct CacheView::Lookup {
  /// The engine can read the unchanged file from disk: nothing to load.
  bool readableAsItIs = false;
  /// The current record, if any.
  std::shared_ptr<clfile> record;
};

std::optional<FileInfo> CacheView::ReadFileInfo(std::string_view path) const {
  Platform::OpenResult opened = cache_.loader_.Open(Platform::PathToUtf16(path));
  if (opened.outcome != Platform::OpenOutcome::ok) return std::nullopt;
  const std::optional<uint64_t> size = opened.file.Size();
  const std::optional<int64_t> time = opened.file.LastWriteTime();
  if (!size || *size > kLargestFileSize || !time) return std::nullopt;
  return FileInfo{*size, *time};
}

/// Loads a new record; none when the file cannot be loaded, or needs no
/// conversion while only converted files are wanted.
std::shared_ptr<clfile> CacheView::Fill(const std::shared_ptr<clfile>& record, FileWanted wanted) {
  std::lock_guard recordLock(record->mutex);
  const std::optional<LoadedFile> loaded = cache_.loader_.Load(record->path, settings_);
  if (!loaded) return nullptr;

  std::scoped_lock both(record->mutex, cache_.mutex_);
  if (!loaded->converted) {
    conversionNotNeeded_.insert(record->key);
    cache_.conversionNotNeeded_[record->key] = record->fileInfo;
    if (wanted == FileWanted::converted) return nullptr;
  }
  record->utf8Text.set(loaded->content);
  record->clangSideBom = loaded->bomLength;
  record->encoding = loaded->encoding;
  record->converted = loaded->converted;
  record->modifiedBuffer = false;
  SetFileProducers(record.get());
  cache_.convertedFiles_[record->key] = record;
  return record;
}

/// Looks a file up, dropping entries made for other facts of it.
CacheView::Lookup CacheView::FindCurrent(const std::string& key, const FileInfo& info, FileWanted wanted) {
  std::lock_guard lock(cache_.mutex_);
  if (wanted == FileWanted::converted) {
    FileInfos& readable = cache_.conversionNotNeeded_;
    if (auto found = readable.find(key); found != readable.end()) {
      if (found->second == info) return {true, nullptr};
      readable.erase(found);
    }
  }
  FileRecords& records = cache_.convertedFiles_;
  if (auto found = records.find(key); found != records.end()) {
    if (found->second->fileInfo == info) return {false, found->second};
    records.erase(found);  // stale; its holders keep it alive
  }
  return {};
}

std::shared_ptr<clfile> CacheView::GetFile(std::string_view name, std::string_view path, FileWanted wanted) {
  if (name.empty() || path.empty()) return nullptr;
  std::string key = FileKeyOf(path);
  if (auto found = modifiedBuffers_.find(key); found != modifiedBuffers_.end()) {
    Touch(*found->second);
    return found->second;
  }
  const bool engineMode = wanted == FileWanted::converted;
  if (engineMode && (!zoIPC::clangtidy_convert_to_utf8 || conversionNotNeeded_.contains(key))) return nullptr;
  const std::optional<FileInfo> info = ReadFileInfo(path);
  if (!info) return nullptr;

  const Lookup known = FindCurrent(key, *info, wanted);
  if (known.readableAsItIs) return nullptr;
  std::shared_ptr<clfile> record = known.record;
  if (record) {
    Touch(*record);
  } else {
    record = Fill(std::make_shared<clfile>(std::string(name), std::string(path), std::move(key), *info), wanted);
  }
  if (record && engineMode && !IsConverted(*record)) return nullptr;
  return record;
}

std::shared_ptr<IUtfIndexMapper> CacheView::GetMapper(std::string_view name, std::string_view path,
                                                      std::shared_ptr<clfile>* record) {
  std::shared_ptr<clfile> found = GetFile(name, path, FileWanted::anyLoadable);
  if (record != nullptr) *record = found;
  return found ? GetRecordMapper(*found) : nullptr;
}

std::shared_ptr<IUtfIndexMapper> GetRecordMapper(clfile& record) {
  std::lock_guard lock(record.mutex);
  if (record.mapper.empty()) return nullptr;
  return record.mapper.get();
}

std::shared_ptr<clfile> SourceCache::AddModifiedBuffer(const std::string& key, std::string_view name,
                                                       std::string_view path,
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

  std::lock_guard lock(mutex_);
  convertedFiles_[key] = record;
  return record;
}

void CacheView::UseModifiedBuffer(const std::shared_ptr<clfile>& record) { modifiedBuffers_[record->key] = record; }

void SourceCache::Clear() {
  std::lock_guard lock(mutex_);
  convertedFiles_.clear();
  conversionNotNeeded_.clear();
}

void SourceCache::UseSettings(const ConversionSettings& settings) {
  std::lock_guard lock(mutex_);
  if (settings_ && ConversionSettingsDiffer(*settings_, settings)) Clear();
  settings_ = settings;
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

void CacheView::Inspect(const std::function<void(const CacheContents&)>& visit) const {
  std::lock_guard lock(cache_.mutex_);
  visit(CacheContents{cache_.convertedFiles_, cache_.conversionNotNeeded_, modifiedBuffers_, conversionNotNeeded_});
}

}  // namespace Quillfern::ZoCodeInspections::Native
