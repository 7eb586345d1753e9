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

#include "thread_callbacks.h"

namespace zoe {

namespace {

/// True when the thread's hook answers that checks stop after the errors the
/// compiler has reported so far.
bool HookStopsChecks(const clang::DiagnosticsEngine& compilerDiagnostics, llvm::raw_ostream& errors) {
  HookArgs arguments;
  arguments["Diagnostics_cptr"] = std::make_shared<std::any>(&compilerDiagnostics);
  std::string failure;
  std::optional<HookArgs> answer = CallHook(kStopAfterCompilerErrorsHook, std::move(arguments), &failure);
  if (!failure.empty()) errors << "error: the check hook failed: " << failure << "\n";
  if (!answer) return false;
  auto found = answer->find("return");
  return found != answer->end() && std::holds_alternative<bool>(found->second) && std::get<bool>(found->second);
}

/// The checks' consumer behind the hook point.
class HookedChecks final : public clang::MultiplexConsumer {
 public:
  HookedChecks(std::vector<std::unique_ptr<clang::ASTConsumer>> checks, const clang::DiagnosticsEngine& diagnostics,
               llvm::raw_ostream& errors)
      : MultiplexConsumer(std::move(checks)), diagnostics_(diagnostics), errors_(errors) {}

  void HandleTranslationUnit(clang::ASTContext& context) override {
    if (HookStopsChecks(diagnostics_, errors_)) return;
    MultiplexConsumer::HandleTranslationUnit(context);
  }

 private:
  const clang::DiagnosticsEngine& diagnostics_;
  llvm::raw_ostream& errors_;
};

class TidyFrontendAction final : public clang::ASTFrontendAction {
 public:
  TidyFrontendAction(clang::tidy::ClangTidyASTConsumerFactory& checks, llvm::raw_ostream& errors)
      : checks_(checks), errors_(errors) {}

  std::unique_ptr<clang::ASTConsumer> CreateASTConsumer(clang::CompilerInstance& compiler,
                                                        llvm::StringRef file) override {
    std::vector<std::unique_ptr<clang::ASTConsumer>> consumers;
    consumers.push_back(checks_.createASTConsumer(compiler, file));
    return std::make_unique<HookedChecks>(std::move(consumers), compiler.getDiagnostics(), errors_);
  }

 private:
  clang::tidy::ClangTidyASTConsumerFactory& checks_;
  llvm::raw_ostream& errors_;
};

}  // namespace

bool TidyToolAction::runInvocation(std::shared_ptr<clang::CompilerInvocation> invocation, clang::FileManager* files,
                                   std::shared_ptr<clang::PCHContainerOperations> pchOperations,
                                   clang::DiagnosticConsumer* diagnostics) {
  compilerStarted_ = true;
  // The static analyzer's checks expect __clang_analyzer__ to be defined.
  invocation->getPreprocessorOpts().SetUpStaticAnalyzer = true;
  clang::CompilerInstance compiler(std::move(pchOperations));
  compiler.setInvocation(std::move(invocation));
  compiler.setFileManager(files);
  compiler.setVerboseOutputStream(summary_);
  // Declared after the compiler, so that it is destroyed first: the action
  // may refer to the compiler's parts until then.
  auto action = std::make_unique<TidyFrontendAction>(checks_, errors_);
  compiler.createDiagnostics(diagnostics, /*ShouldOwnClient=*/false);
  if (!compiler.hasDiagnostics()) return false;
  compiler.createSourceManager(*files);
  const bool succeeded = compiler.ExecuteAction(*action);
  files->clearStatCache();
  return succeeded;
}

}  // namespace zoe
