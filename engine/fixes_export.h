// Writes the exported fixes YAML of a run as the clang-tidy binary's
// --export-fixes does, with paths and texts passed through BytesForYaml, a
// slice of the diagnostics at a time: clang-tidy's writer copies every
// diagnostic it is given, which a run with a million diagnostics cannot afford
// at once.
#pragma once

#include <string>
#include <vector>

#include <llvm/ADT/StringRef.h>

namespace clang::tidy {
struct ClangTidyError;
}

namespace zoe {

/// The fixes YAML of `errors`, whose main file is `mainFile`.
std::string ExportedFixesYaml(llvm::StringRef mainFile, const std::vector<clang::tidy::ClangTidyError>& errors);

}  // namespace zoe
