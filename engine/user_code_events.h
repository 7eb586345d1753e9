// The preprocessor's events as the checks are shown them: those of user code,
// and inside system headers only user code's entering one and coming back and
// the uses of user code's own macros there, whether the run compiles the
// headers itself or loads them from a preamble (whose recorded events follow
// the same rule). What the checks would make of the rest lies in system
// headers and is dropped, but it costs: a check that collects every reserved
// macro name of the standard headers reports each one, and each report is
// rendered with its fix before it is dropped.
#pragma once

#include <memory>

#include <clang/Lex/PPCallbacks.h>

namespace clang {
class MacroDefinition;
class Preprocessor;
class SourceManager;
}  // namespace clang

namespace zoe {

/// Which of a compile's preprocessor events the checks are shown.
class UserCodeEvents {
 public:
  explicit UserCodeEvents(const clang::SourceManager& sources) : sources_(sources) {}
  /// Whether an event at `at` is outside system headers.
  bool At(clang::SourceLocation at) const;
  /// Whether a file change at `at` is user code's: outside system headers, or
  /// user code entering one.
  bool FileChange(clang::SourceLocation at, clang::PPCallbacks::FileChangeReason reason) const;
  /// Whether an event at `at` about the macro `definition` is user code's or
  /// reads a macro of user code: a system header that tests or expands a
  /// feature macro of the user's uses it (renaming it would change the build).
  bool Macro(clang::SourceLocation at, const clang::MacroDefinition& definition) const;

 private:
  /// True for a macro defined in a file of user code, not in the predefined
  /// buffer, on the command line or in a system header.
  bool DefinedByUserCode(const clang::MacroDefinition& definition) const;

  const clang::SourceManager& sources_;
};

/// `checks` shown only the events `UserCodeEvents` admits; the events without
/// a place (the main file's end, pragmas' details) all.
std::unique_ptr<clang::PPCallbacks> OnlyUserCodeEvents(std::unique_ptr<clang::PPCallbacks> checks,
                                                       const clang::SourceManager& sources);

/// Takes the preprocessor's callbacks away, leaving it none.
std::unique_ptr<clang::PPCallbacks> TakeCallbacks(clang::Preprocessor& preprocessor);

/// Gives the preprocessor exactly `callbacks`.
void PutCallbacks(clang::Preprocessor& preprocessor, std::unique_ptr<clang::PPCallbacks> callbacks);

}  // namespace zoe
