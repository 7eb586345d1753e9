// One run's use of the preamble store: before the compiler starts, the main
// file's preamble is taken from the store while it still fits (the same
// command line, the same text up to the preamble's end, the same content in
// every file it read, as the run's file system serves them; a file on the
// disk that keeps the identity, size and modification time it had well before
// the build counts as unchanged unread), or built and
// kept; the invocation and file manager are then set up to load it. A
// preamble whose files gave compiler diagnostics is never used (they would not
// be reported again): its files are compiled as usual, and the store
// remembers that until they change, so that it is not built again each run.
// The preprocessor's events while it is compiled are kept with it. A session
// may instead leave the build to a thread beside the run, which then compiles
// without a preamble, and wait for such a build when a later run needs it.
#pragma once

#include <memory>
#include <string>

#include <llvm/ADT/IntrusiveRefCntPtr.h>

namespace clang {
class CompilerInvocation;
struct PreambleBounds;
class FileManager;
class PCHContainerOperations;
}  // namespace clang

namespace llvm {
class MemoryBuffer;
class raw_ostream;
namespace vfs {
class FileSystem;
}
}  // namespace llvm

namespace zoe {

struct PreambleEvents;
struct StoredPreamble;
class PreambleBuilds;
class PreambleStore;

/// What became of a run's preamble.
enum class PreambleOutcome {
  kNotAsked,  ///< the run did not ask for one
  kNone,      ///< the main file has no preamble, or it could not be built
  kReused,    ///< taken from the store
  kBuilt,     ///< built for this run, none kept before
  kRebuilt,   ///< built for this run in place of one that no longer fitted
  kDeclined,  ///< its files gave compiler diagnostics: compiled as usual
  kBuilding,  ///< being built beside the run, which compiles without it
};

class PreambleSession {
 public:
  /// With `beside`, a preamble that is not in the store is built there
  /// rather than by the run.
  PreambleSession(PreambleStore& store, PreambleBuilds* beside, std::string commandKey);
  ~PreambleSession();
  PreambleSession(const PreambleSession&) = delete;
  PreambleSession& operator=(const PreambleSession&) = delete;

  /// Tells that the run's checks watch the preprocessor. They are shown the
  /// events of the main file's preamble but not those of forced includes
  /// (-include, -imacros), which the preamble also holds: a command line with
  /// forced includes then gets no preamble.
  void SetChecksWatchPreprocessor(bool watch) { checksWatchPreprocessor_ = watch; }

  /// Sets `invocation` up to load the main file's preamble and answers the
  /// file manager the compiler then uses (`files` itself when none is used).
  /// The session must outlive the compiler.
  llvm::IntrusiveRefCntPtr<clang::FileManager> Prepare(clang::CompilerInvocation& invocation, clang::FileManager& files,
                                                       std::shared_ptr<clang::PCHContainerOperations> pchOperations);

  PreambleOutcome Outcome() const { return outcome_; }
  /// True when the compiler loads a preamble of system headers only: the
  /// checks need not read its declarations.
  bool LoadsOnlySystemHeaders() const;
  /// What the preprocessor did while the loaded preamble was compiled; null
  /// when none is loaded.
  std::shared_ptr<const PreambleEvents> Events() const;
  /// True when the compiler loads a preamble.
  bool Used() const {
    return outcome_ == PreambleOutcome::kReused || outcome_ == PreambleOutcome::kBuilt ||
           outcome_ == PreambleOutcome::kRebuilt;
  }

 private:
  /// The stored preamble that fits the run, or one built for it, and what
  /// became of it; null when the run goes without one.
  std::shared_ptr<const StoredPreamble> FittingPreamble(
      const std::string& mainFile, clang::CompilerInvocation& invocation, const clang::PreambleBounds& bounds,
      const llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem>& fileSystem,
      std::shared_ptr<clang::PCHContainerOperations> pchOperations);
  /// Starts a build of the main text's preamble for `invocation` beside the run.
  void BuildBeside(const std::string& mainFile, std::string key, const clang::CompilerInvocation& invocation,
                   const clang::PreambleBounds& bounds,
                   const llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem>& fileSystem,
                   const std::shared_ptr<clang::PCHContainerOperations>& pchOperations);

  PreambleStore& store_;
  PreambleBuilds* beside_;
  std::string commandKey_;
  PreambleOutcome outcome_ = PreambleOutcome::kNotAsked;
  bool checksWatchPreprocessor_ = false;
  std::shared_ptr<const StoredPreamble> held_;
  std::unique_ptr<llvm::MemoryBuffer> mainText_;
};

/// The run log's line about the preamble ("Preamble: reused; 3 held, 120.5
/// MB."); nothing when the run did not ask for one.
void DescribePreambleUse(PreambleOutcome outcome, const PreambleStore& store, llvm::raw_ostream& log);

}  // namespace zoe
