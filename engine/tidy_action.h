// The compiler side of one run: clang-tidy's checks over one translation
// unit. The compiler's closing summary ("N warnings generated.") goes to a
// stream of the run instead of the process's error stream, and the calling
// thread's check hook is asked, before the checks look at the parsed unit,
// whether checks stop after compiler errors.
#pragma once

#include <cstdint>
#include <memory>

#include <clang/Tooling/Tooling.h>

namespace clang::tidy {
class ClangTidyASTConsumerFactory;
}

namespace zoe {

/// Hook identifier the engine calls once per translation unit, after parsing
/// and before the checks run, with "Diagnostics_cptr" (the compiler's
/// `const clang::DiagnosticsEngine*`). An answer holding "return" = true skips
/// the checks of that unit; the compiler's own diagnostics stay.
inline constexpr uint32_t kStopAfterCompilerErrorsHook = 0xADF38EC1;

class TidyToolAction final : public clang::tooling::ToolAction {
 public:
  /// `summary` receives the compiler's closing summary, `errors` the
  /// engine's own messages (a failing hook); `compilerStarted` is set when
  /// the compiler proper starts (after the driver's work).
  TidyToolAction(clang::tidy::ClangTidyASTConsumerFactory& checks, llvm::raw_ostream& summary,
                 llvm::raw_ostream& errors, bool& compilerStarted)
      : checks_(checks), summary_(summary), errors_(errors), compilerStarted_(compilerStarted) {}

  bool runInvocation(std::shared_ptr<clang::CompilerInvocation> invocation, clang::FileManager* files,
                     std::shared_ptr<clang::PCHContainerOperations> pchOperations,
                     clang::DiagnosticConsumer* diagnostics) override;

 private:
  clang::tidy::ClangTidyASTConsumerFactory& checks_;
  llvm::raw_ostream& summary_;
  llvm::raw_ostream& errors_;
  bool& compilerStarted_;
};

}  // namespace zoe
