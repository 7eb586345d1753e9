#include "dumps/files_report.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// "(???)", written so that it is no trigraph.
constexpr const char* kUnknown =
    "(??"
    "?)";

std::string TimeText(int64_t seconds) {
  if (seconds == 0) return "(modified buffer)";
  const std::optional<std::tm> local = Platform::LocalTime(seconds);
  if (!local) return kUnknown;
  char text[64];
  if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &*local) == 0) return kUnknown;
  return text;
}

std::string EncodingText(const std::optional<Encoding>& encoding, const ConversionSettings& settings) {
  if (!encoding) return "unknown encoding";
  if (*encoding == Encoding::UTF8_NOBOM && !settings.autoDetectUtf8) return "ANSI!!";
  return EncodingName(*encoding);
}

std::string ConvertedText(const std::optional<bool>& converted) {
  if (!converted) return std::string(" ") + kUnknown;
  return *converted ? " (converted)" : " (mapper only)";
}

/// What the report lists, taken under the cache mutex. The records are
/// described after it is released, so that no record's mutex is ever taken
/// while the cache mutex is held (file loading takes them the other way).
struct CacheSnapshot {
  std::vector<std::shared_ptr<clfile>> converted;
  std::vector<std::pair<std::string, std::shared_ptr<clfile>>> modifiedBuffers;
  std::vector<std::pair<std::string, FileInfo>> conversionNotNeeded;
  FileKeys current;
};

CacheSnapshot TakeSnapshot(const CacheView& files) {
  CacheSnapshot snapshot;
  files.Inspect([&](const CacheContents& cache) {
    for (const auto& entry : cache.convertedFiles) snapshot.converted.push_back(entry.second);
    snapshot.modifiedBuffers.assign(cache.viewModifiedBuffers.begin(), cache.viewModifiedBuffers.end());
    snapshot.conversionNotNeeded.assign(cache.conversionNotNeeded.begin(), cache.conversionNotNeeded.end());
    snapshot.current = cache.viewConversionNotNeeded;
  });
  return snapshot;
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

}  // namespace

std::string FileInfoText(const FileInfo& info) {
  return Format("(%llu bytes; %s)", static_cast<unsigned long long>(info.size), TimeText(info.lastWriteTime).c_str());
}

std::string DescribeRecord(clfile& record, const ConversionSettings& settings, RecordDetail detail) {
  std::lock_guard lock(record.mutex);
  const bool readAsUtf8 = !settings.convertAnsi && record.encoding == Encoding::ANSI;
  std::string text = Format(
      "'%s' (%s) from %s%s, clang-side bom %d%s%s", record.name.c_str(), FileInfoText(record.fileInfo).c_str(),
      EncodingText(record.encoding, settings).c_str(), readAsUtf8 ? "->UTF8_NOBOM!!" : "",
      record.clangSideBom ? static_cast<int>(*record.clangSideBom) : -1,
      record.modifiedBuffer.value_or(false) ? " (modified buffer)" : "", ConvertedText(record.converted).c_str());
  if (detail == RecordDetail::withMemory) text += Format(" (~%zu bytes used)", MemoryUsage(record));
  return text;
}

std::string FilesReport(const CacheView& files, const ClaimStore& claims) {
  const CacheSnapshot snapshot = TakeSnapshot(files);
  std::string text = "*** Files ***\n";
  size_t total = 0;
  if (!snapshot.converted.empty()) {
    text += "\nConverted:\n";
    for (const auto& record : snapshot.converted) {
      std::lock_guard lock(record->mutex);
      total += MemoryUsage(*record);
      text += " * " + DescribeRecord(*record, files.Settings(), RecordDetail::withMemory) + "\n";
    }
  }
  if (!snapshot.modifiedBuffers.empty()) {
    text += "\nModified buffers:\n";
    for (const auto& [key, record] : snapshot.modifiedBuffers) {
      const size_t bytes = MemoryUsage(*record);
      total += bytes;
      text += Format(" * %s %s (%zu bytes)\n", key.c_str(), FileInfoText(record->fileInfo).c_str(), bytes);
    }
  }
  if (!snapshot.conversionNotNeeded.empty()) {
    text += "\nConversion not needed:\n";
    for (const auto& [key, info] : snapshot.conversionNotNeeded) {
      text += Format(" * %s %s%s\n", key.c_str(), FileInfoText(info).c_str(),
                     snapshot.current.contains(key) ? " (current)" : "");
    }
  }
  const auto [claimBytes, claimText] = claims.Report();
  text += claimText;
  total += claimBytes;
  text += Format("\nCache memory usage: %zukb\n", total / 1024);
  return text;
}

}  // namespace Quillfern::ZoCodeInspections::Native
