// Prints a run's diagnostics exactly as the clang-tidy binary prints them on
// its standard output: "file:line:col: level: message [check]", the source
// line with a caret and ranges, fix-it lines, then the notes. Source lines
// are read through the run's file system, so served texts are what is shown.
#pragma once

#include <vector>

#include <llvm/ADT/IntrusiveRefCntPtr.h>

namespace llvm {
class raw_ostream;
namespace vfs {
class FileSystem;
}
}  // namespace llvm

namespace clang::tidy {
struct ClangTidyError;
}

namespace zoe {

/// Prints `errors` on `out`; answers how many warnings were promoted to
/// errors. `colors` adds the terminal colour codes.
unsigned PrintDiagnostics(const std::vector<clang::tidy::ClangTidyError>& errors,
                          llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> files, bool colors, llvm::raw_ostream& out);

}  // namespace zoe
