// Bytes in the exported fixes YAML. Paths, messages and replacement texts are
// bytes: a path on POSIX need not be UTF-8, and a text copied from a source
// the library converted from UTF-16 holds each surrogate half as three bytes
// of its own. The YAML writer cuts a text short at the first byte that is no
// UTF-8, so such bytes travel as code points of the last private use plane
// (U+10FF80 + byte - 0x80) and are turned back into bytes when the YAML is
// read. The code points of that range are written byte by byte too, so that
// every text comes back as it was.
#pragma once

#include <string>

#include <llvm/ADT/StringRef.h>

namespace clang::tooling {
struct Diagnostic;
}

namespace zoe {

/// `bytes` with every byte that is no part of valid UTF-8, or of a code
/// point of the escape range, written as its private use code point.
std::string BytesForYaml(llvm::StringRef bytes);

/// The bytes of a text written by BytesForYaml.
std::string BytesFromYaml(llvm::StringRef text);

/// A diagnostic with its paths, messages and replacement texts (notes'
/// included) passed through BytesForYaml.
clang::tooling::Diagnostic ForYaml(const clang::tooling::Diagnostic& diagnostic);

}  // namespace zoe
