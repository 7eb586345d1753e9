// Template bodies of system headers parsed where they are instantiated, not
// where they are written. Most of a standard header's text is the bodies of
// function templates and class template members, and a unit instantiates few
// of them: parsing the rest takes a fifth of a compile and shows nothing, since
// the checks do not look inside system headers. What the unit instantiates is
// parsed then and checked as before, so errors in the user's instantiations
// are still reported. User code's templates are parsed where they stand, since
// the checks look into them whether instantiated or not.
//
// Only a run's own compile delays them, never a preamble's build. A run that
// loads a preamble and instantiates a body kept there reads every kept body
// back first (a tenth of a second for the standard headers, on each edit), and
// parses it with clang's type-trait keywords where the standard headers use
// the same words as names (`__is_pointer`), which fails.
#pragma once

#include <memory>

#include <clang/Lex/PPCallbacks.h>

namespace clang {
class CompilerInstance;
}  // namespace clang

namespace zoe {

/// Callbacks that switch the compiler's delayed template parsing on while the
/// preprocessor is in a system header, and back to the command line's choice
/// elsewhere, in the compile of `compiler`.
std::unique_ptr<clang::PPCallbacks> DelaySystemTemplateBodies(clang::CompilerInstance& compiler);

}  // namespace zoe
