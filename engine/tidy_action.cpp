#include "tidy_action.h"

#include <any>
#include <string>
#include <utility>
#include <vector>

#include <ClangTidy.h>
#include <ClangTidyModule.h>
#include <clang/Frontend/CompilerInstance.h>
#include <clang/Frontend/FrontendAction.h>
#include <clang/Frontend/MultiplexConsumer.h>
#include <clang/Lex/PreprocessorOptions.h>
#include <llvm/Support/raw_ostream.h>

#include "check_hooks.h"
#include "customised_run.h"
#include "include_names.h"
#include "preamble_replay.h"
#include "system_template_bodies.h"
#include "traversal_scope.h"
#include "user_code_events.h"

namespace zoe {

namespace {

/// True when the thread's hook answers that checks stop after the errors the
/// compiler has reported so far.
bool HookStopsChecks(const clang::DiagnosticsEngine& compilerDiagnostics) {
  return AnswerFlag(AskHook(kStopAfterCompilerErrorsHook, {{"Diagnostics_cptr", Erased(&compilerDiagnostics)}}),
                    "return") == true;
}

/// The checks' consumer behind the hook point.
class HookedChecks final : public clang::MultiplexConsumer {
 public:
  HookedChecks(std::vector<std::unique_ptr<clang::ASTConsumer>> checks, const clang::DiagnosticsEngine& diagnostics,
               bool wholeUnit, bool onlyParsed, bool abandoned)
      : MultiplexConsumer(std::move(checks)),
        diagnostics_(diagnostics),
        wholeUnit_(wholeUnit),
        onlyParsed_(onlyParsed),
        abandoned_(abandoned) {}

  void HandleTranslationUnit(clang::ASTContext& context) override {
    if (abandoned_) return;
    if (HookStopsChecks(diagnostics_)) {
      // What the checks reported from the preprocessor's callbacks while the
      // unit was parsed goes too.
      CustomisedRun::Current().DropCheckDiagnostics();
      return;
    }
    if (!wholeUnit_) VisitOnlyUserDeclarations(context, onlyParsed_);
    MultiplexConsumer::HandleTranslationUnit(context);
  }

 private:
  const clang::DiagnosticsEngine& diagnostics_;
  bool wholeUnit_;
  /// Only the declarations parsed in this run are the user's.
  bool onlyParsed_;
  /// The checks watch the preprocessor but a preamble hid its start from
  /// them: they are not run, the run is repeated without the preamble.
  bool abandoned_;
};

class TidyFrontendAction final : public clang::ASTFrontendAction {
 public:
  TidyFrontendAction(clang::tidy::ClangTidyASTConsumerFactory& checks, ChecksView view, bool preambleLoaded,
                     std::shared_ptr<const PreambleEvents> preambleEvents, bool systemPreamble, bool createOnly,
                     std::optional<bool>& watchedPreprocessor)
      : checks_(checks),
        view_(view),
        preambleLoaded_(preambleLoaded),
        preambleEvents_(std::move(preambleEvents)),
        systemPreamble_(systemPreamble),
        createOnly_(createOnly),
        watchedPreprocessor_(watchedPreprocessor) {}

  std::unique_ptr<clang::ASTConsumer> CreateASTConsumer(clang::CompilerInstance& compiler,
                                                        llvm::StringRef file) override {
    clang::Preprocessor& preprocessor = compiler.getPreprocessor();
    if (!view_.wholeUnit) preprocessor.addPPCallbacks(DelaySystemTemplateBodies(compiler));
    PreambleReplay* replay = nullptr;
    if (preambleEvents_ != nullptr) {
      auto owned = std::make_unique<PreambleReplay>(preambleEvents_, compiler);
      replay = owned.get();
      preprocessor.addPPCallbacks(std::move(owned));
    }
    // The checks' callbacks are set apart from the engine's own, to be shown
    // the events as a run should show them.
    std::unique_ptr<clang::PPCallbacks> prior = TakeCallbacks(preprocessor);
    std::vector<std::unique_ptr<clang::ASTConsumer>> consumers;
    consumers.push_back(checks_.createASTConsumer(compiler, file));
    std::unique_ptr<clang::PPCallbacks> checks = TakeCallbacks(preprocessor);
    PutCallbacks(preprocessor, std::move(prior));
    const bool watched = checks != nullptr;
    watchedPreprocessor_ = watched;
    if (watched) ShowEvents(std::move(checks), compiler, replay);
    return std::make_unique<HookedChecks>(std::move(consumers), compiler.getDiagnostics(), view_.wholeUnit,
                                          systemPreamble_,
                                          createOnly_ || (watched && preambleLoaded_ && replay == nullptr));
  }

  /// The events shown to the checks; the preprocessor owns it.
  const PreambleReplay* Replay() const { return replay_; }

 private:
  /// Adds the checks' callbacks to the compile's preprocessor, behind what
  /// shows them the run's events: include names that stay valid, only user
  /// code's events when the run compiles the headers itself (what a loaded
  /// preamble's replay would show them), and that replay.
  void ShowEvents(std::unique_ptr<clang::PPCallbacks> checks, clang::CompilerInstance& compiler,
                  PreambleReplay* replay) {
    checks = KeepIncludeNames(std::move(checks));
    if (!preambleLoaded_ && !view_.everyPreprocessorEvent) {
      checks = OnlyUserCodeEvents(std::move(checks), compiler.getSourceManager());
    }
    if (replay != nullptr) {
      replay->SetTarget(checks.get());
      replay_ = replay;
    }
    compiler.getPreprocessor().addPPCallbacks(std::move(checks));
  }

  clang::tidy::ClangTidyASTConsumerFactory& checks_;
  ChecksView view_;
  bool preambleLoaded_;
  /// Shown to the checks that watch the preprocessor when a preamble is loaded.
  std::shared_ptr<const PreambleEvents> preambleEvents_;
  bool systemPreamble_;
  bool createOnly_;
  std::optional<bool>& watchedPreprocessor_;
  const PreambleReplay* replay_ = nullptr;
};

}  // namespace

bool TidyToolAction::runInvocation(std::shared_ptr<clang::CompilerInvocation> invocation, clang::FileManager* files,
                                   std::shared_ptr<clang::PCHContainerOperations> pchOperations,
                                   clang::DiagnosticConsumer* diagnostics) {
  compilerStarted_ = true;
  // The static analyzer's checks expect __clang_analyzer__ to be defined.
  invocation->getPreprocessorOpts().SetUpStaticAnalyzer = true;
  llvm::IntrusiveRefCntPtr<clang::FileManager> compilerFiles(files);
  if (preamble_ != nullptr) compilerFiles = preamble_->Prepare(*invocation, *files, pchOperations);
  const bool preambleLoaded = preamble_ != nullptr && preamble_->Used();
  clang::CompilerInstance compiler(std::move(pchOperations));
  compiler.setInvocation(std::move(invocation));
  compiler.setFileManager(compilerFiles.get());
  compiler.setVerboseOutputStream(summary_);
  // Declared after the compiler, so that it is destroyed first: the action
  // may refer to the compiler's parts until then.
  auto action = std::make_unique<TidyFrontendAction>(
      checks_, view_, preambleLoaded, preambleLoaded ? preamble_->Events() : nullptr,
      preamble_ != nullptr && preamble_->LoadsOnlySystemHeaders(), createOnly_, watchedPreprocessor_);
  compiler.createDiagnostics(diagnostics, /*ShouldOwnClient=*/false);
  if (!compiler.hasDiagnostics()) return false;
  compiler.createSourceManager(*compilerFiles);
  const bool succeeded = compiler.ExecuteAction(*action);
  replayFellShort_ = action->Replay() != nullptr && action->Replay()->Missed() != 0;
  compilerFiles->clearStatCache();
  files->clearStatCache();
  return succeeded;
}

}  // namespace zoe
