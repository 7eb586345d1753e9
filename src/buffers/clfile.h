// The source cache's record of one file: its identity, size and last-write
// time (to notice a stale record), what is known of its encoding, its three
// derived forms produced on first use, and its parsed in-source directives.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "buffers/encodings.h"
#include "buffers/lazy.h"
#include "interop/utf_index_mapper.h"

namespace Quillfern::ZoCodeInspections::Native {

/// A file's size and last-write time (seconds since 1970). For a modified
/// buffer: twice its UTF-16 length and the time it was handed over.
struct FileInfo {
  uint64_t size = 0;
  int64_t lastWriteTime = 0;
  bool operator==(const FileInfo&) const = default;
};

/// Lines on which a skip directive suppresses diagnostics (0-based,
/// inclusive), and the check-name fragments it applies to (all when empty).
struct SkipRule {
  int32_t firstLine = 0;
  int32_t lastLine = 0;
  std::vector<std::string> checks;
  bool operator==(const SkipRule&) const = default;
};

/// Seconds since 1970, now.
int64_t NowSeconds();

namespace ClangTidy {

struct clfile {
  /// A file's skip and skip-all directives.
  struct directives {
    bool skipAll = false;  ///< a skip-all directive without check list
    std::vector<SkipRule> rules;  ///< in text order
  };

  clfile(std::string fileName, std::string filePath, std::string fileKey, FileInfo info);

  std::string name;  ///< as the file was asked for (shown in reports)
  std::string path;  ///< what is opened
  std::string key;   ///< the cache key: the path lower-cased
  FileInfo fileInfo;
  /// Guards the lazy and optional fields below; taken before the cache's.
  std::recursive_mutex mutex;
  lazy<std::shared_ptr<const std::string>> utf8Text;  ///< what the engine reads
  lazy<std::shared_ptr<const std::u16string>> utf16Text;
  std::optional<Encoding> encoding;
  /// BOM bytes before utf8Text in the file the engine reads; subtracted from
  /// engine offsets before mapping.
  std::optional<uint32_t> clangSideBom;
  std::optional<bool> modifiedBuffer;  ///< holds a host editor buffer
  std::optional<bool> converted;       ///< utf8Text differs from the bytes on disk
  int64_t created;
  std::atomic<int64_t> lastUsed;
  std::atomic<uint32_t> useCount{1};
  lazy<std::shared_ptr<IUtfIndexMapper>> mapper;
  /// Parsed on first need and kept for the record's life.
  std::shared_ptr<const struct directives> directives;
};

}  // namespace ClangTidy

/// clfile::directives by a name of its own: outside the record, the member
/// of the same name hides the type.
using FileDirectives = struct ClangTidy::clfile::directives;

}  // namespace Quillfern::ZoCodeInspections::Native
