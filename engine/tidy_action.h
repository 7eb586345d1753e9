// The compiler side of one run: clang-tidy's checks over one translation
// unit. The compiler's closing summary ("N warnings generated.") goes to a
// stream of the run instead of the process's error stream, and the calling
// thread's check hook is asked, before the checks look at the parsed unit,
// whether checks stop after compiler errors; when they do, what checks
// reported from preprocessor callbacks during parsing is left out as well.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <clang/Tooling/Tooling.h>

#include "preamble_session.h"

namespace clang::tidy {
class ClangTidyASTConsumerFactory;
}

namespace zoe {

/// Hook identifier the engine calls once per translation unit, after parsing
/// and before the checks run, with "Diagnostics_cptr" (the compiler's
/// `const clang::DiagnosticsEngine*`). An answer holding "return" = true skips
/// the checks of that unit and leaves out what they reported while it was
/// parsed; the compiler's own diagnostics stay.
inline constexpr uint32_t kStopAfterCompilerErrorsHook = 0xADF38EC1;

/// What of the unit the checks are shown besides user code.
struct ChecksView {
  bool wholeUnit = false;               ///< the declarations inside system headers
  bool everyPreprocessorEvent = false;  ///< the preprocessor's events inside system headers
};

class TidyToolAction final : public clang::tooling::ToolAction {
 public:
  /// `summary` receives the compiler's closing summary; `compilerStarted` is
  /// set when the compiler proper starts (after the driver's work). `view`
  /// says what of system headers the checks see. With `preamble` the
  /// compiler loads the main file's precompiled preamble from that session.
  /// With `createOnly` the checks are created but never run.
  TidyToolAction(clang::tidy::ClangTidyASTConsumerFactory& checks, llvm::raw_ostream& summary, bool& compilerStarted,
                 ChecksView view, PreambleSession* preamble, bool createOnly = false)
      : checks_(checks),
        summary_(summary),
        compilerStarted_(compilerStarted),
        view_(view),
        preamble_(preamble),
        createOnly_(createOnly) {}

  bool runInvocation(std::shared_ptr<clang::CompilerInvocation> invocation, clang::FileManager* files,
                     std::shared_ptr<clang::PCHContainerOperations> pchOperations,
                     clang::DiagnosticConsumer* diagnostics) override;

  /// Whether the checks registered preprocessor callbacks; none before they
  /// were created. When they did while a preamble was loaded, they were not
  /// run: the run must be repeated without the preamble.
  std::optional<bool> ChecksWatchedPreprocessor() const { return watchedPreprocessor_; }

  /// True when some of the preamble's events could not be shown to the
  /// checks: the run must be repeated without the preamble.
  bool ReplayFellShort() const { return replayFellShort_; }

 private:
  clang::tidy::ClangTidyASTConsumerFactory& checks_;
  llvm::raw_ostream& summary_;
  bool& compilerStarted_;
  ChecksView view_;
  PreambleSession* preamble_;
  bool createOnly_;
  std::optional<bool> watchedPreprocessor_;
  bool replayFellShort_ = false;
};

}  // namespace zoe
