// The clang-tidy options of one run, assembled as the clang-tidy binary does
// from its arguments: built-in defaults, then ".clang-tidy" files found above
// the source (unless "-config=" replaces them), then "-checks=" and
// "-header-filter=". Configuration errors go to the run's error stream, never
// to the process's.
#pragma once

#include <memory>

#include <llvm/ADT/IntrusiveRefCntPtr.h>
#include <llvm/Support/VirtualFileSystem.h>

#include "run_arguments.h"

namespace llvm {
class raw_ostream;
}

namespace clang::tidy {
class ClangTidyOptionsProvider;
}

namespace zoe {

/// The options provider for `arguments`, reading configuration files through
/// `files`; null (with a message on `errors`) when "-config=" does not parse.
std::unique_ptr<clang::tidy::ClangTidyOptionsProvider> MakeOptionsProvider(
    const RunArguments& arguments, llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> files, llvm::raw_ostream& errors);

}  // namespace zoe
