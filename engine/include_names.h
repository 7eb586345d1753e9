// Include names that outlive their directive. With Microsoft extensions on a
// system whose paths use forward slashes, the preprocessor hands the callbacks
// each include's name from a buffer in its own stack frame (the name with its
// slashes made native). A check that keeps the names of a file's includes, as
// readability-duplicate-include does, then compares a later include with
// whatever that buffer holds by then: it reports the include of another header
// of the same length as a duplicate, with a fix that removes it.
#pragma once

#include <memory>

#include <clang/Lex/PPCallbacks.h>

namespace zoe {

/// `checks` given every include's name in storage that lives as long as they
/// do; every other event is passed on as it is.
std::unique_ptr<clang::PPCallbacks> KeepIncludeNames(std::unique_ptr<clang::PPCallbacks> checks);

}  // namespace zoe
