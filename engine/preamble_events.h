// The preprocessor's events while a preamble is compiled, kept with it: a run
// that loads the preamble skips its includes, macros and conditionals, so the
// checks that watch the preprocessor are shown these instead. They hold no
// pointer into the compile that recorded them: places are offsets in the main
// file or locations of the preamble's own source manager, names are spelled.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <clang/Basic/TokenKinds.h>

namespace clang {
class PPCallbacks;
class SourceManager;
}  // namespace clang

namespace zoe {

/// Where an event happened.
struct RecordedPlace {
  enum class In : uint8_t {
    kNowhere,   ///< an invalid location
    kMainFile,  ///< `value` is an offset in the main file
    kPreamble,  ///< `value` is the raw location in the preamble's compile
  };
  In in = In::kNowhere;
  uint32_t value = 0;
};

/// A token as the preprocessor handed it over.
struct RecordedToken {
  clang::tok::TokenKind kind = clang::tok::unknown;
  RecordedPlace place;
  unsigned length = 0;
  unsigned short flags = 0;
  std::string identifier;  ///< the spelling of an identifier or keyword
};

/// One preprocessor callback and its arguments; which fields mean what
/// depends on the kind (see the recorder).
struct RecordedEvent {
  enum class Kind : uint8_t {
    kFileChanged,
    kFileSkipped,
    kInclusionDirective,
    kMacroDefined,
    kMacroUndefined,
    kMacroExpands,
    kDefined,
    kIf,
    kElif,
    kIfdef,
    kIfndef,
    kElifdef,   ///< with `flag`: the macro name was read; else the range was skipped
    kElifndef,  ///< as kElifdef
    kElse,
    kEndif,
    kSourceRangeSkipped,
    kPragmaDirective,
  };
  Kind kind = Kind::kFileChanged;
  RecordedPlace at;
  RecordedPlace begin;  ///< a range's start
  RecordedPlace end;    ///< a range's end
  /// The macro's definition, the #if of a branch, the file left, or the
  /// directive's "include" token.
  RecordedPlace other;
  RecordedToken name;  ///< the macro name or the included file's name
  std::string spelled;  ///< the included file's name as the directive spells it
  std::string file;     ///< the included or skipped file's path
  std::string searchPath;
  std::string relativePath;
  int value = 0;  ///< a reason, condition value or pragma introducer
  int fileType = 0;
  bool flag = false;  ///< angled include; varargs elided; #elifdef evaluated
  std::vector<std::vector<RecordedToken>> arguments;  ///< a macro expansion's arguments
};

struct PreambleEvents {
  std::vector<RecordedEvent> events;
};

/// Callbacks that append the events of a preamble's compile to `events`,
/// from the main file's first line on (the predefined buffer is the run's
/// own), as the checks are shown them (see user_code_events.h).
std::unique_ptr<clang::PPCallbacks> RecordPreambleEvents(const clang::SourceManager& sources, PreambleEvents& events);

}  // namespace zoe
