// Shows the checks of a run that loads a precompiled preamble what the
// preprocessor did while the preamble was compiled: when the run's predefined
// buffer ends and the main file's lines begin, the recorded events are handed
// to the checks' callbacks with their places found in this compile (the main
// file's own, or the preamble's locations as the compiler loaded them) and
// their macros found in the loaded macro history.
#pragma once

#include <cstddef>
#include <memory>

#include <clang/Lex/PPCallbacks.h>

#include "preamble_events.h"

namespace clang {
class CompilerInstance;
}

namespace zoe {

class PreambleReplay final : public clang::PPCallbacks {
 public:
  /// Added to the preprocessor before the checks add theirs, so that the
  /// checks see the predefined buffer end before the replayed events.
  PreambleReplay(std::shared_ptr<const PreambleEvents> events, clang::CompilerInstance& compiler);

  /// The callbacks the events go to; none: nothing is replayed.
  void SetTarget(clang::PPCallbacks* target) { target_ = target; }

  void FileChanged(clang::SourceLocation at, FileChangeReason reason, clang::SrcMgr::CharacteristicKind fileType,
                   clang::FileID left) override;

  /// The events that could not be shown (their macro was not found).
  size_t Missed() const { return missed_; }

 private:
  void Replay(const RecordedEvent& event);
  void ReplayMacroEvent(const RecordedEvent& event);
  void ReplayConditional(const RecordedEvent& event);
  void ReplaySkippedElifdef(const RecordedEvent& event);

  clang::SourceLocation Translate(const RecordedPlace& place) const;
  /// Where the loaded preamble holds `place`: its own copy of the main
  /// file's region, where the macros it defines are.
  clang::SourceLocation TranslateAsLoaded(const RecordedPlace& place) const;
  clang::SourceRange TranslateRange(const RecordedEvent& event) const;
  clang::Token MakeToken(const RecordedToken& recorded) const;
  /// The directive of `name` at `place` in the loaded macro history.
  clang::MacroDirective* FindDirective(const RecordedToken& name, const RecordedPlace& place) const;
  /// The definition in force at the event; false when it is not found.
  bool FindDefinition(const RecordedEvent& event, clang::MacroDefinition& definition) const;
  clang::MacroArgs* MakeArguments(const RecordedEvent& event, const clang::MacroDefinition& definition) const;

  std::shared_ptr<const PreambleEvents> events_;
  clang::CompilerInstance& compiler_;
  clang::PPCallbacks* target_ = nullptr;
  bool replayed_ = false;
  size_t missed_ = 0;
};

}  // namespace zoe
