#include "preamble_session.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include <clang/Basic/Diagnostic.h>
#include <clang/Basic/DiagnosticOptions.h>
#include <clang/Basic/FileManager.h>
#include <clang/Basic/SourceManager.h>
#include <clang/Frontend/CompilerInstance.h>
#include <clang/Frontend/CompilerInvocation.h>
#include <clang/Frontend/PrecompiledPreamble.h>
#include <clang/Lex/PPCallbacks.h>
#include <clang/Lex/PreprocessorOptions.h>
#include <llvm/Support/Format.h>
#include <llvm/Support/MemoryBuffer.h>
#include <llvm/Support/VirtualFileSystem.h>
#include <llvm/Support/raw_ostream.h>
#include <llvm/Support/xxhash.h>

#include "preamble_builds.h"
#include "preamble_events.h"
#include "preamble_store.h"
#include "provider_file_system.h"

namespace zoe {

namespace {

/// How long before a preamble's build a file must have been modified last for
/// its stamp to tell its text apart: a second write in the same tick of the
/// file system's clock keeps it.
constexpr std::chrono::seconds kSettled(2);

/// The hash of `name`'s text as `files` serves it; none when it cannot be read.
std::optional<uint64_t> HashOfFile(llvm::vfs::FileSystem& files, const std::string& name) {
  auto text = files.getBufferForFile(name, /*FileSize=*/-1, /*RequiresNullTerminator=*/false);
  if (!text) return std::nullopt;
  return llvm::xxh3_64bits((*text)->getBuffer());
}

/// The stamp of `name` when it is read from the disk; none when the provider
/// serves it or it cannot be found.
std::optional<FileStamp> DiskStamp(llvm::vfs::FileSystem& files, const std::string& name) {
  const std::optional<llvm::vfs::Status> status = DiskStatus(files, name);
  if (!status) return std::nullopt;
  return FileStamp{status->getUniqueID(), status->getSize(), status->getLastModificationTime()};
}

/// True when `file` still holds the text the preamble read: by its stamp
/// when it has one and the stamp is unchanged, else by its text.
bool Unchanged(const ReadFile& file, llvm::vfs::FileSystem& files) {
  if (file.stamp && DiskStamp(files, file.name) == file.stamp) return true;
  return HashOfFile(files, file.name) == file.hash;
}

/// True when every file still holds the text the preamble read.
bool FilesUnchanged(const std::vector<ReadFile>& read, llvm::vfs::FileSystem& files) {
  return std::all_of(read.begin(), read.end(), [&files](const ReadFile& file) { return Unchanged(file, files); });
}

/// Notes when the preprocessor enters a header outside the system folders.
class UserHeaderWatch final : public clang::PPCallbacks {
 public:
  UserHeaderWatch(const clang::SourceManager& sources, bool& entered) : sources_(sources), entered_(entered) {}

  void FileChanged(clang::SourceLocation location, FileChangeReason reason, clang::SrcMgr::CharacteristicKind kind,
                   clang::FileID) override {
    if (reason != EnterFile || clang::SrcMgr::isSystem(kind)) return;
    const clang::FileID file = sources_.getFileID(location);
    if (file != sources_.getMainFileID() && sources_.getFileEntryRefForID(file)) entered_ = true;
  }

 private:
  const clang::SourceManager& sources_;
  bool& entered_;
};

/// Records the text of every file the preamble's compiler read, as it read
/// it, whether any of them is a user header, and the preprocessor's events.
class FileRecorder final : public clang::PreambleCallbacks {
 public:
  explicit FileRecorder(llvm::vfs::FileSystem& files)
      : files_(files), settledBefore_(std::chrono::system_clock::now() - kSettled) {}

  void BeforeExecute(clang::CompilerInstance& compiler) override { sources_ = &compiler.getSourceManager(); }

  std::unique_ptr<clang::PPCallbacks> createPPCallbacks() override {
    return std::make_unique<clang::PPChainedCallbacks>(std::make_unique<UserHeaderWatch>(*sources_, userHeaders_),
                                                       RecordPreambleEvents(*sources_, *events_));
  }

  void AfterExecute(clang::CompilerInstance& compiler) override {
    const clang::SourceManager& sources = compiler.getSourceManager();
    const clang::OptionalFileEntryRef main = sources.getFileEntryRefForID(sources.getMainFileID());
    for (auto info = sources.fileinfo_begin(); info != sources.fileinfo_end(); ++info) {
      const clang::FileEntryRef file = info->first;
      if (main && file.isSameRef(*main)) continue;
      ReadFile read;
      read.name = file.getName().str();
      // A file looked up but never read counts by its present text.
      if (auto text = info->second->getBufferIfLoaded()) {
        read.hash = llvm::xxh3_64bits(text->getBuffer());
      } else if (auto hash = HashOfFile(files_, read.name)) {
        read.hash = *hash;
      } else {
        continue;
      }
      read.stamp = SettledStamp(read.name);
      read_.push_back(std::move(read));
    }
  }

  std::vector<ReadFile> Take() { return std::move(read_); }
  bool UserHeaders() const { return userHeaders_; }
  std::shared_ptr<const PreambleEvents> Events() const { return events_; }

 private:
  /// The stamp of `name` when it was modified last before the build began
  /// (and so before it was read).
  std::optional<FileStamp> SettledStamp(const std::string& name) const {
    std::optional<FileStamp> stamp = DiskStamp(files_, name);
    if (stamp && stamp->modified >= settledBefore_) return std::nullopt;
    return stamp;
  }

  llvm::vfs::FileSystem& files_;
  const llvm::sys::TimePoint<> settledBefore_;
  const clang::SourceManager* sources_ = nullptr;
  std::vector<ReadFile> read_;
  bool userHeaders_ = false;
  std::shared_ptr<PreambleEvents> events_ = std::make_shared<PreambleEvents>();
};

/// True when the preamble's compile reported a warning or an error. The
/// engine's own flags count too: an include that is not found is a fatal
/// error that the engine records without the consumer's counts showing it.
bool GaveDiagnostics(const clang::DiagnosticsEngine& engine, const clang::DiagnosticConsumer& consumer) {
  return engine.hasErrorOccurred() || engine.getNumWarnings() != 0 || consumer.getNumErrors() != 0 ||
         consumer.getNumWarnings() != 0;
}

/// The invocation that compiles the preamble: the run's own, except that the
/// templates the preamble's code uses are instantiated at the preamble's end
/// and kept with it. The standard headers' inline functions use many, and
/// every run that loads the preamble would otherwise instantiate them again
/// while it compiles the main file. Any diagnostic they give declines the
/// preamble like any other; only code whose meaning depends on the point of
/// instantiation, which the language leaves ill-formed, could see them differ.
clang::CompilerInvocation PreambleInvocation(const clang::CompilerInvocation& run) {
  clang::CompilerInvocation preamble(run);
  preamble.getLangOpts().PCHInstantiateTemplates = true;
  return preamble;
}

/// True when `stored` was built for this command line and region and its
/// files are unchanged.
bool StillFits(const StoredPreamble& stored, const std::string& commandKey, llvm::StringRef region,
               llvm::vfs::FileSystem& files) {
  return stored.commandKey == commandKey && stored.region == region && FilesUnchanged(stored.files, files);
}

/// A preamble of `mainText` for `invocation`, or what remembers that its
/// files gave compiler diagnostics; null when none could be built.
std::shared_ptr<const StoredPreamble> BuildPreamble(const clang::CompilerInvocation& invocation,
                                                    const llvm::MemoryBuffer& mainText,
                                                    const clang::PreambleBounds& bounds,
                                                    const llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem>& fileSystem,
                                                    std::shared_ptr<clang::PCHContainerOperations> pchOperations,
                                                    const std::string& commandKey) {
  clang::CompilerInvocation preambleInvocation = PreambleInvocation(invocation);
  clang::DiagnosticConsumer counted;  // counts the warnings and errors
  llvm::IntrusiveRefCntPtr<clang::DiagnosticsEngine> diagnostics =
      clang::CompilerInstance::createDiagnostics(&preambleInvocation.getDiagnosticOpts(), &counted, false);
  FileRecorder recorder(*fileSystem);
  auto built = clang::PrecompiledPreamble::Build(preambleInvocation, &mainText, bounds, *diagnostics, fileSystem,
                                                 std::move(pchOperations), /*StoreInMemory=*/true, "", recorder);
  std::vector<ReadFile> read = recorder.Take();
  if (!built && read.empty()) return nullptr;
  auto fresh = std::make_shared<StoredPreamble>();
  if (built && !GaveDiagnostics(*diagnostics, counted)) fresh->preamble.emplace(std::move(*built));
  fresh->commandKey = commandKey;
  fresh->region = mainText.getBuffer().take_front(bounds.Size).str();
  fresh->files = std::move(read);
  fresh->userHeaders = recorder.UserHeaders();
  fresh->events = recorder.Events();
  return fresh;
}

}  // namespace

PreambleSession::PreambleSession(PreambleStore& store, PreambleBuilds* beside, std::string commandKey)
    : store_(store), beside_(beside), commandKey_(std::move(commandKey)) {}

PreambleSession::~PreambleSession() = default;

llvm::IntrusiveRefCntPtr<clang::FileManager> PreambleSession::Prepare(
    clang::CompilerInvocation& invocation, clang::FileManager& files,
    std::shared_ptr<clang::PCHContainerOperations> pchOperations) {
  llvm::IntrusiveRefCntPtr<clang::FileManager> unchanged(&files);
  const clang::PreprocessorOptions& preprocessor = invocation.getPreprocessorOpts();
  if (checksWatchPreprocessor_ && !(preprocessor.Includes.empty() && preprocessor.MacroIncludes.empty())) {
    return unchanged;
  }
  outcome_ = PreambleOutcome::kNone;
  const auto& inputs = invocation.getFrontendOpts().Inputs;
  if (store_.Capacity() == 0 || inputs.size() != 1 || !inputs[0].isFile()) return unchanged;
  const std::string mainFile = inputs[0].getFile().str();
  llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> fileSystem = files.getVirtualFileSystemPtr();
  auto text = fileSystem->getBufferForFile(mainFile);
  if (!text) return unchanged;
  mainText_ = std::move(*text);
  const clang::PreambleBounds bounds =
      clang::ComputePreambleBounds(invocation.getLangOpts(), mainText_->getMemBufferRef(), 0);
  if (bounds.Size == 0) return unchanged;
  held_ = FittingPreamble(mainFile, invocation, bounds, fileSystem, std::move(pchOperations));
  if (!Used()) return unchanged;
  // The compiler's source manager takes the main text over.
  held_->preamble->AddImplicitPreamble(invocation, fileSystem, mainText_.release());
  return llvm::makeIntrusiveRefCnt<clang::FileManager>(files.getFileSystemOpts(), std::move(fileSystem));
}

std::shared_ptr<const StoredPreamble> PreambleSession::FittingPreamble(
    const std::string& mainFile, clang::CompilerInvocation& invocation, const clang::PreambleBounds& bounds,
    const llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem>& fileSystem,
    std::shared_ptr<clang::PCHContainerOperations> pchOperations) {
  const llvm::StringRef region = mainText_->getBuffer().take_front(bounds.Size);
  // A build going beside an earlier run for the same text is waited for.
  std::string buildKey = commandKey_ + '\0' + region.str();
  std::shared_ptr<const StoredPreamble> stored = beside_ ? beside_->Await(mainFile, buildKey) : nullptr;
  if (stored == nullptr) stored = store_.Find(mainFile);
  if (stored && StillFits(*stored, commandKey_, region, *fileSystem)) {
    outcome_ = stored->preamble ? PreambleOutcome::kReused : PreambleOutcome::kDeclined;
    return stored;
  }
  if (beside_ != nullptr) {
    BuildBeside(mainFile, std::move(buildKey), invocation, bounds, fileSystem, pchOperations);
    outcome_ = PreambleOutcome::kBuilding;
    return nullptr;
  }
  const bool replacing = stored != nullptr;
  stored = BuildPreamble(invocation, *mainText_, bounds, fileSystem, std::move(pchOperations), commandKey_);
  if (stored == nullptr) {
    store_.Forget(mainFile);
    return nullptr;
  }
  store_.Keep(mainFile, stored);
  outcome_ = !stored->preamble ? PreambleOutcome::kDeclined
             : replacing       ? PreambleOutcome::kRebuilt
                               : PreambleOutcome::kBuilt;
  return stored;
}

void PreambleSession::BuildBeside(const std::string& mainFile, std::string key,
                                  const clang::CompilerInvocation& invocation, const clang::PreambleBounds& bounds,
                                  const llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem>& fileSystem,
                                  const std::shared_ptr<clang::PCHContainerOperations>& pchOperations) {
  // The build owns copies of what the run's compiler goes on to change.
  auto ownInvocation = std::make_shared<const clang::CompilerInvocation>(invocation);
  std::shared_ptr<const llvm::MemoryBuffer> ownText =
      llvm::MemoryBuffer::getMemBufferCopy(mainText_->getBuffer(), mainText_->getBufferIdentifier());
  beside_->Start(mainFile, std::move(key),
                 [ownInvocation, ownText, bounds, fileSystem, pchOperations,
                  commandKey = commandKey_]() -> std::shared_ptr<const StoredPreamble> {
                   auto built = BuildPreamble(*ownInvocation, *ownText, bounds, fileSystem, pchOperations, commandKey);
                   // Read after its run ended and refused a file: not what the provider serves.
                   return MissedProviderAnswers(*fileSystem) ? nullptr : built;
                 });
}

std::shared_ptr<const PreambleEvents> PreambleSession::Events() const { return Used() ? held_->events : nullptr; }

bool PreambleSession::LoadsOnlySystemHeaders() const { return Used() && !held_->userHeaders; }

void DescribePreambleUse(PreambleOutcome outcome, const PreambleStore& store, llvm::raw_ostream& log) {
  const char* what = nullptr;
  switch (outcome) {
    case PreambleOutcome::kNotAsked: return;
    case PreambleOutcome::kNone: what = "none"; break;
    case PreambleOutcome::kReused: what = "reused"; break;
    case PreambleOutcome::kBuilt: what = "built"; break;
    case PreambleOutcome::kRebuilt: what = "rebuilt"; break;
    case PreambleOutcome::kDeclined: what = "not used (its files give compiler diagnostics)"; break;
    case PreambleOutcome::kBuilding: what = "building for the next runs"; break;
  }
  const PreambleStoreUse use = store.Use();
  log << "Preamble: " << what << "; " << use.preambles << " held, "
      << llvm::format("%.1f", static_cast<double>(use.bytes) / (1024.0 * 1024.0)) << " MB.\n";
}

}  // namespace zoe
