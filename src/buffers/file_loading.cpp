#include "buffers/file_loading.h"

#include <chrono>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "buffers/fnv1a.h"
#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

constexpr int kOpenRetries = 10;
constexpr auto kRetryPause = std::chrono::milliseconds(50);

/// Paths whose last open gave up: a repeated request for a missing file then
/// costs one attempt instead of the whole retry budget.
class FailedPaths {
 public:
  bool Contains(const std::u16string& path) {
    std::lock_guard lock(mutex_);
    return paths_.contains(path);
  }
  void Add(const std::u16string& path) {
    std::lock_guard lock(mutex_);
    paths_.insert(path);
  }
  void Remove(const std::u16string& path) {
    std::lock_guard lock(mutex_);
    paths_.erase(path);
  }

 private:
  std::mutex mutex_;
  std::unordered_set<std::u16string, Fnv1aHash> paths_;
};

FailedPaths& failedPaths() {
  static FailedPaths paths;
  return paths;
}

std::optional<Platform::File> OpenWithRetries(const std::u16string& path) {
  for (int retriesLeft = kOpenRetries;; --retriesLeft) {
    Platform::OpenResult opened = Platform::OpenForRead(path);
    if (opened.outcome == Platform::OpenOutcome::ok) {
      failedPaths().Remove(path);
      return std::move(opened.file);
    }
    if (opened.outcome == Platform::OpenOutcome::sharingViolation || retriesLeft == 0) break;
    if (failedPaths().Contains(path)) break;  // it failed before: no waiting again
    std::this_thread::sleep_for(kRetryPause);
  }
  failedPaths().Add(path);
  return std::nullopt;
}

std::optional<LoadedFile> LoadOpenedFile(const Platform::File& file) {
  const std::optional<uint64_t> size = file.Size();
  if (!size || *size > kLargestFileSize) return std::nullopt;
  const ConversionSettings& settings = ThreadConversionSettings();
  if (*size == 0) return ConvertFileContent("", 0, settings);
  const Platform::MappedView view = Platform::MapReadOnly(file, static_cast<size_t>(*size));
  if (!view.IsMapped()) return std::nullopt;
  return ConvertFileContent(view.Data(), view.Size(), settings);
}

}  // namespace

std::optional<LoadedFile> LoadFile(std::string_view utf8Path) {
  const std::u16string path = Platform::PathToUtf16(utf8Path);
  const std::optional<Platform::File> file = OpenWithRetries(path);
  if (!file) return std::nullopt;
  return LoadOpenedFile(*file);
}

}  // namespace Quillfern::ZoCodeInspections::Native
