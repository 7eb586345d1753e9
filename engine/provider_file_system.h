// The file system of one run: every file the compiler (or the configuration
// lookup, or the diagnostic printer) reads is first asked of the file
// provider; files it does not serve come from the disk. The working directory
// is the run's own, never the process's.
#pragma once

#include <llvm/ADT/IntrusiveRefCntPtr.h>
#include <llvm/Support/VirtualFileSystem.h>

#include "interop/engine_interface.h"

namespace llvm {
class raw_ostream;
}

namespace zoe {

using namespace Quillfern::ZoCodeInspections::Native;

/// A fresh physical file system for one run, with `provider` (may be null)
/// consulted first and its answers remembered for the run. Provider failures
/// are reported on `errors` and count as "not served".
llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> MakeRunFileSystem(const FileProviderCallback* provider,
                                                                  llvm::raw_ostream& errors);

}  // namespace zoe
