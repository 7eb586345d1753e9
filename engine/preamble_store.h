// The precompiled preambles (the includes at the top of a main file) that
// runs keep for one another: per main file, the latest preamble with what it
// was built from, so that a later run of the same file reuses it while its
// region of the main text, every file it read and the command line are
// unchanged. The store is shared by every run of the process and bounded: it
// holds the most recently used few (ZOCI_PREAMBLES, default 8; 0 turns the
// reuse off) and forgets the least recently used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <clang/Frontend/PrecompiledPreamble.h>
#include <llvm/Support/Chrono.h>
#include <llvm/Support/FileSystem/UniqueID.h>

#include "preamble_events.h"

namespace zoe {

/// What tells a file's text apart on the disk without reading it.
struct FileStamp {
  llvm::sys::fs::UniqueID identity;
  uint64_t size = 0;
  llvm::sys::TimePoint<> modified;

  bool operator==(const FileStamp&) const = default;
};

/// A file a preamble read, as it read it.
struct ReadFile {
  std::string name;
  uint64_t hash = 0;  ///< of its text
  /// Its identity, size and modification time on the disk, when they tell
  /// its text apart: none when the provider served it or it was modified just
  /// before it was read (then only its text tells whether it changed). A
  /// rewrite in place to the same size that also sets the modification time
  /// back goes unseen, as it does by every build tool.
  std::optional<FileStamp> stamp;
};

/// A preamble and what decides whether it still fits a run.
struct StoredPreamble {
  /// None when its files gave compiler diagnostics: it is not used, and kept
  /// only so that it is not built again while they stay the same.
  std::optional<clang::PrecompiledPreamble> preamble;
  /// The compiler command line and working folder it was built for.
  std::string commandKey;
  /// The main file's text up to the preamble's end.
  std::string region;
  /// Each file the preamble read.
  std::vector<ReadFile> files;
  /// Whether it includes headers outside the system folders.
  bool userHeaders = true;
  /// What the preprocessor did while it was compiled.
  std::shared_ptr<const PreambleEvents> events;
};

/// How much the store holds.
struct PreambleStoreUse {
  size_t preambles = 0;
  size_t bytes = 0;
};

class PreambleStore {
 public:
  /// The process's store, sized by ZOCI_PREAMBLES.
  static PreambleStore& Shared();

  explicit PreambleStore(size_t capacity) : capacity_(capacity) {}

  size_t Capacity() const { return capacity_; }
  /// The preamble kept for `mainFile`, marked most recently used; null when none.
  std::shared_ptr<const StoredPreamble> Find(const std::string& mainFile);
  /// Keeps `preamble` for `mainFile` in place of any other, forgetting the
  /// least recently used file beyond the capacity. Runs that hold a forgotten
  /// preamble keep it alive until they end.
  void Keep(const std::string& mainFile, std::shared_ptr<const StoredPreamble> preamble);
  /// Forgets the preamble of `mainFile`.
  void Forget(const std::string& mainFile);
  PreambleStoreUse Use() const;

 private:
  using Entry = std::pair<std::string, std::shared_ptr<const StoredPreamble>>;

  const size_t capacity_;
  mutable std::mutex mutex_;
  /// Most recently used first.
  std::list<Entry> entries_;
};

/// The number of preambles ZOCI_PREAMBLES asks for (default 8).
size_t PreambleCapacityFromEnvironment(const char* value);

}  // namespace zoe
