// Reads one source file from disk for the source cache: opens it with a short
// bounded retry (editors briefly lock files while saving), refuses files of
// 2 GiB or more, maps it read-only and hands its bytes to the encoding
// detection and conversion.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "buffers/encodings.h"
#include "buffers/fnv1a.h"
#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

/// The largest file that is loaded: 2^31 - 1 bytes.
inline constexpr uint64_t kLargestFileSize = 0x7FFFFFFFu;

/// A loaded file: its text for the engine and what was learnt about it.
using LoadedFile = FileContent;

/// Opens a file for reading: Platform::OpenForRead, or what a test puts in
/// its place.
using FileOpener = std::function<Platform::OpenResult(const std::u16string& path)>;

/// Opens and loads files, remembering the paths whose last open gave up: a
/// repeated request for a missing file then costs one attempt instead of the
/// whole retry budget. Safe to use from several threads.
class FileLoader {
 public:
  explicit FileLoader(FileOpener opener = Platform::OpenForRead) : opener_(std::move(opener)) {}

  /// One open, without retries.
  Platform::OpenResult Open(const std::u16string& path) const { return opener_(path); }

  /// Loads and converts a file under `settings`. None when it cannot be
  /// opened (after the retries; at once on a sharing violation or when it
  /// failed before), is too large or cannot be mapped. Conversion errors
  /// propagate.
  std::optional<LoadedFile> Load(std::string_view utf8Path, const ConversionSettings& settings);

 private:
  std::optional<Platform::File> OpenWithRetries(const std::u16string& path);
  bool FailedBefore(const std::u16string& path);
  void MarkFailed(const std::u16string& path);
  void MarkOpened(const std::u16string& path);

  FileOpener opener_;
  std::mutex mutex_;
  std::unordered_set<std::u16string, Fnv1aHash> failedPaths_;
};

}  // namespace Quillfern::ZoCodeInspections::Native
