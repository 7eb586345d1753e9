// The file system of one run: every file the compiler (or the diagnostic
// printer) reads is first asked of the file provider; files it does not
// serve, and whatever is read before the compiler starts but the main file,
// come from the disk. The working directory is the run's own, never the
// process's. A preamble built beside the run reads through it from another
// thread, possibly after the run has ended.
#pragma once

#include <optional>

#include <llvm/ADT/IntrusiveRefCntPtr.h>
#include <llvm/Support/VirtualFileSystem.h>

#include "contract/engine_interface.h"

namespace llvm {
class raw_ostream;
}

namespace zoe {

using namespace Quillfern::ZoCodeInspections::Native;

/// A fresh physical file system for one run, with `provider` (may be null)
/// consulted first and its answers remembered for the run. Provider failures
/// are reported on `errors` and count as "not served". The provider is asked
/// only for `mainFile` (an absolute path) until `compilerStarted` is true:
/// before that the driver looks at the toolchain (crtbegin.o,
/// /etc/os-release, ...) and the configuration is looked up, and none of that
/// is source text.
llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> MakeRunFileSystem(const FileProviderCallback* provider,
                                                                  llvm::StringRef mainFile, const bool& compilerStarted,
                                                                  llvm::raw_ostream& errors);

/// Ends the provider's part in a run's file system when the run ends (the
/// provider may be gone after it): a build still reading through `files`
/// then gets the answers the provider gave, and an error for any other path.
void EndProviderAnswers(llvm::vfs::FileSystem& files);

/// True when `files` refused a path after EndProviderAnswers: what was read
/// through it is not what the run's provider would have served.
bool MissedProviderAnswers(llvm::vfs::FileSystem& files);

/// The status of `path` on the disk when `files` is a run's file system
/// (MakeRunFileSystem) that reads it from there; none when the provider serves
/// it, the disk has no such file or `files` is another file system.
std::optional<llvm::vfs::Status> DiskStatus(llvm::vfs::FileSystem& files, const llvm::Twine& path);

}  // namespace zoe
