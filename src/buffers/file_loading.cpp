#include "buffers/file_loading.h"

#include <chrono>
#include <thread>

namespace Quillfern::ZoCodeInspections::Native {

namespace {

constexpr int kOpenRetries = 10;
constexpr auto kRetryPause = std::chrono::milliseconds(50);

std::optional<LoadedFile> LoadOpenedFile(const Platform::File& file, const ConversionSettings& settings) {
  const std::optional<uint64_t> size = file.Size();
  if (!size || *size > kLargestFileSize) return std::nullopt;
  if (*size == 0) return ConvertFileContent("", 0, settings);
  const Platform::MappedView view = Platform::MapReadOnly(file, static_cast<size_t>(*size));
  if (!view.IsMapped()) return std::nullopt;
  return ConvertFileContent(view.Data(), view.Size(), settings);
}

}  // namespace

bool FileLoader::FailedBefore(const std::u16string& path) {
  std::lock_guard lock(mutex_);
  return failedPaths_.contains(path);
}

void FileLoader::MarkFailed(const std::u16string& path) {
  std::lock_guard lock(mutex_);
  failedPaths_.insert(path);
}

void FileLoader::MarkOpened(const std::u16string& path) {
  std::lock_guard lock(mutex_);
  failedPaths_.erase(path);
}

std::optional<Platform::File> FileLoader::OpenWithRetries(const std::u16string& path) {
  for (int retriesLeft = kOpenRetries;; --retriesLeft) {
    Platform::OpenResult opened = opener_(path);
    if (opened.outcome == Platform::OpenOutcome::ok) {
      MarkOpened(path);
      return std::move(opened.file);
    }
    if (opened.outcome == Platform::OpenOutcome::sharingViolation || retriesLeft == 0) break;
    if (FailedBefore(path)) break;  // it failed before: no waiting again
    std::this_thread::sleep_for(kRetryPause);
  }
  MarkFailed(path);
  return std::nullopt;
}

std::optional<LoadedFile> FileLoader::Load(std::string_view utf8Path, const ConversionSettings& settings) {
  const std::u16string path = Platform::PathToUtf16(utf8Path);
  const std::optional<Platform::File> file = OpenWithRetries(path);
  if (!file) return std::nullopt;
  return LoadOpenedFile(*file, settings);
}

}  // namespace Quillfern::ZoCodeInspections::Native
