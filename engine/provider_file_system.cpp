#include "provider_file_system.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include <llvm/ADT/StringMap.h>
#include <llvm/Support/Chrono.h>
#include <llvm/Support/MemoryBuffer.h>
#include <llvm/Support/Path.h>
#include <llvm/Support/raw_ostream.h>

namespace zoe {

namespace {

namespace fs = llvm::sys::fs;
namespace vfs = llvm::vfs;

/// A served text as a compiler buffer; it keeps the text alive for as long as
/// the compiler holds the buffer.
class SharedTextBuffer final : public llvm::MemoryBuffer {
 public:
  SharedTextBuffer(std::shared_ptr<const std::string> text, std::string name)
      : text_(std::move(text)), name_(std::move(name)) {
    // std::string keeps a terminating zero behind its data.
    init(text_->data(), text_->data() + text_->size(), /*RequiresNullTerminator=*/true);
  }
  llvm::StringRef getBufferIdentifier() const override { return name_; }
  BufferKind getBufferKind() const override { return MemoryBuffer_Malloc; }

 private:
  std::shared_ptr<const std::string> text_;
  std::string name_;
};

/// A served file: the provider's text under the status built for it.
struct ServedFile {
  std::shared_ptr<const std::string> text;
  vfs::Status status;
};

class OpenServedFile final : public vfs::File {
 public:
  explicit OpenServedFile(ServedFile served) : served_(std::move(served)) {}
  llvm::ErrorOr<vfs::Status> status() override { return served_.status; }
  llvm::ErrorOr<std::unique_ptr<llvm::MemoryBuffer>> getBuffer(const llvm::Twine& name, int64_t, bool, bool) override {
    return std::unique_ptr<llvm::MemoryBuffer>(new SharedTextBuffer(served_.text, name.str()));
  }
  std::error_code close() override { return {}; }

 private:
  ServedFile served_;
};

/// `path` without "." and ".." components, as the run's answers are keyed.
std::string Normalised(llvm::StringRef path) {
  llvm::SmallString<256> normalised(path);
  llvm::sys::path::remove_dots(normalised, /*remove_dot_dot=*/true);
  return std::string(normalised);
}

/// Whether `path` names a precompiled header as GCC and clang name them.
bool IsPrecompiledHeader(const llvm::Twine& path) {
  llvm::SmallString<256> storage;
  const llvm::StringRef extension = llvm::sys::path::extension(path.toStringRef(storage));
  return extension == ".pch" || extension == ".gch";
}

/// Identity of a served file that does not exist on disk: unique in the
/// process, on a device number no disk uses.
fs::UniqueID InventedIdentity() {
  static std::atomic<uint64_t> next{1};
  return fs::UniqueID(~uint64_t{0}, next.fetch_add(1));
}

class ProviderFileSystem final : public llvm::RTTIExtends<ProviderFileSystem, vfs::ProxyFileSystem> {
 public:
  static const char ID;

  ProviderFileSystem(llvm::IntrusiveRefCntPtr<vfs::FileSystem> disk, const FileProviderCallback* provider,
                     llvm::StringRef mainFile, const bool& compilerStarted, llvm::raw_ostream& errors)
      : RTTIExtends(std::move(disk)),
        provider_(provider),
        hasProvider_(provider != nullptr && *provider),
        mainFile_(Normalised(mainFile)),
        compilerStarted_(compilerStarted),
        errors_(errors) {}

  /// The disk's status of `path`; none when the provider serves it, the disk has no such file or the
  /// provider's answer is no longer known.
  std::optional<vfs::Status> DiskStatus(const llvm::Twine& path) {
    llvm::ErrorOr<vfs::Status> disk = ProxyFileSystem::status(path);
    if (!disk) return std::nullopt;
    llvm::ErrorOr<const ServedFile*> served = Served(path, disk);
    if (!served || *served != nullptr) return std::nullopt;
    return *disk;
  }

  llvm::ErrorOr<vfs::Status> status(const llvm::Twine& path) override {
    // The driver looks for a precompiled form of each forced include
    // ("pch.h.pch", "pch.h.gch") to read instead: a build's own, made by
    // another compiler or with other flags. The run parses the header.
    if (DriverAsksForPrecompiledHeader(path)) return std::make_error_code(std::errc::no_such_file_or_directory);
    llvm::ErrorOr<vfs::Status> disk = ProxyFileSystem::status(path);
    llvm::ErrorOr<const ServedFile*> served = Served(path, disk);
    if (!served) return served.getError();
    if (*served != nullptr) return vfs::Status::copyWithNewName((*served)->status, path);
    return disk;
  }

  bool exists(const llvm::Twine& path) override { return static_cast<bool>(status(path)); }

  llvm::ErrorOr<std::unique_ptr<vfs::File>> openFileForRead(const llvm::Twine& path) override {
    llvm::ErrorOr<vfs::Status> disk = ProxyFileSystem::status(path);
    llvm::ErrorOr<const ServedFile*> served = Served(path, disk);
    if (!served) return served.getError();
    if (*served != nullptr) {
      ServedFile named{(*served)->text, vfs::Status::copyWithNewName((*served)->status, path)};
      return std::unique_ptr<vfs::File>(new OpenServedFile(std::move(named)));
    }
    // A FIFO or device would block the run or never end: only regular files are read.
    if (disk && disk->getType() != fs::file_type::regular_file) return std::make_error_code(std::errc::not_supported);
    return ProxyFileSystem::openFileForRead(path);
  }

  /// Whether `path` is a precompiled header the driver looks for before the
  /// compiler starts (the run's state is read only while the run lasts).
  bool DriverAsksForPrecompiledHeader(const llvm::Twine& path) {
    if (!IsPrecompiledHeader(path)) return false;
    std::lock_guard lock(mutex_);
    return !ended_ && !compilerStarted_;
  }

  void EndAnswers() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    errors_ << deferredErrors_;
  }

  bool MissedAnswers() {
    std::lock_guard lock(mutex_);
    return missed_;
  }

 private:
  /// The provider's answer for `path` (null when it does not serve it), asked
  /// once per run once the compiler has started, or for the main file as soon
  /// as the driver looks for it (an editor's buffer of a file not saved yet
  /// exists nowhere else); only regular files are asked for (directories
  /// never, and reading a FIFO or device would block or never end). Once the
  /// run has ended, a path it was never asked about has no answer: the
  /// provider may be gone.
  llvm::ErrorOr<const ServedFile*> Served(const llvm::Twine& path, const llvm::ErrorOr<vfs::Status>& disk) {
    if (!hasProvider_) return nullptr;
    if (disk && disk->getType() != fs::file_type::regular_file) return nullptr;
    const std::string requested = path.str();
    const std::string absolute = AbsolutePath(requested);
    // A preamble built beside the run reads through the same file system.
    std::lock_guard lock(mutex_);
    if (ended_) {
      auto found = answers_.find(absolute);
      if (found != answers_.end()) return found->second ? &*found->second : nullptr;
      missed_ = true;
      return std::make_error_code(std::errc::operation_canceled);
    }
    if (!compilerStarted_ && absolute != mainFile_) return nullptr;
    auto [entry, inserted] = answers_.try_emplace(absolute);
    if (inserted) entry->second = Ask(requested, absolute, disk);
    return entry->second ? &*entry->second : nullptr;
  }

  /// Writes `message` to the run's errors from the run's thread; from a
  /// build beside the run, it waits for the run's end.
  void Report(const std::string& message) {
    if (std::this_thread::get_id() == runThread_) {
      errors_ << message;
    } else {
      deferredErrors_ += message;
    }
  }

  std::string AbsolutePath(const std::string& requested) const {
    llvm::SmallString<256> absolute(requested);
    getUnderlyingFS().makeAbsolute(absolute);
    return Normalised(absolute);
  }

  std::optional<ServedFile> Ask(const std::string& name, const std::string& path,
                                const llvm::ErrorOr<vfs::Status>& disk) {
    std::optional<ProvidedFile> answer;
    try {
      answer = (*provider_)(name, path);
    } catch (const std::exception& error) {
      Report("error: the file provider failed for '" + path + "': " + error.what() + "\n");
    } catch (...) {
      Report("error: the file provider failed for '" + path + "'\n");
    }
    if (!answer || !answer->first) return std::nullopt;
    // A served file keeps its disk identity, so include guards and
    // #pragma once see one file whichever way it is reached.
    const fs::UniqueID identity = disk ? disk->getUniqueID() : InventedIdentity();
    const auto modified = llvm::sys::toTimePoint(static_cast<time_t>(answer->second));
    vfs::Status status(path, identity, modified, 0, 0, answer->first->size(), fs::file_type::regular_file,
                       fs::perms::all_read);
    return ServedFile{answer->first, std::move(status)};
  }

  /// Valid until the run ends, as are `compilerStarted_` and `errors_`.
  const FileProviderCallback* provider_;
  const bool hasProvider_;
  const std::string mainFile_;
  const bool& compilerStarted_;
  llvm::raw_ostream& errors_;
  const std::thread::id runThread_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::string deferredErrors_;
  llvm::StringMap<std::optional<ServedFile>> answers_;
  bool ended_ = false;
  bool missed_ = false;
};

const char ProviderFileSystem::ID = 0;

}  // namespace

std::optional<llvm::vfs::Status> DiskStatus(llvm::vfs::FileSystem& files, const llvm::Twine& path) {
  auto* run = llvm::dyn_cast<ProviderFileSystem>(&files);
  return run != nullptr ? run->DiskStatus(path) : std::nullopt;
}

void EndProviderAnswers(llvm::vfs::FileSystem& files) {
  if (auto* run = llvm::dyn_cast<ProviderFileSystem>(&files)) run->EndAnswers();
}

bool MissedProviderAnswers(llvm::vfs::FileSystem& files) {
  auto* run = llvm::dyn_cast<ProviderFileSystem>(&files);
  return run != nullptr && run->MissedAnswers();
}

llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> MakeRunFileSystem(const FileProviderCallback* provider,
                                                                  llvm::StringRef mainFile, const bool& compilerStarted,
                                                                  llvm::raw_ostream& errors) {
  llvm::IntrusiveRefCntPtr<vfs::FileSystem> disk(vfs::createPhysicalFileSystem().release());
  return llvm::makeIntrusiveRefCnt<ProviderFileSystem>(std::move(disk), provider, mainFile, compilerStarted, errors);
}

}  // namespace zoe
