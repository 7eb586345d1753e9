// File paths in the exported fixes YAML. A path on POSIX is bytes, but the
// YAML writer replaces bytes that are no UTF-8 with U+FFFD, so such bytes
// travel as code points of the last private use plane (U+10FF80 + byte - 0x80)
// and are turned back into bytes when the YAML is read.
#pragma once

#include <string>

#include <llvm/ADT/StringRef.h>

namespace clang::tooling {
struct Diagnostic;
}

namespace zoe {

/// `path` with every byte that is no part of valid UTF-8 written as its
/// private use code point; valid UTF-8 is returned as it is.
std::string PathForYaml(llvm::StringRef path);

/// The bytes of a path written by PathForYaml.
std::string PathFromYaml(llvm::StringRef path);

/// A diagnostic with every path it names passed through `convert`.
clang::tooling::Diagnostic WithPaths(const clang::tooling::Diagnostic& diagnostic,
                                     std::string (*convert)(llvm::StringRef));

}  // namespace zoe
