#include "customised_run.h"

#include <algorithm>

#include <ClangTidyDiagnosticConsumer.h>
#include <clang/Basic/SourceManager.h>
#include <llvm/Support/raw_ostream.h>

namespace zoe {

namespace {

/// Names of the compiler's own diagnostics, which a check never reports.
bool FromCompiler(const clang::tidy::ClangTidyError& error) {
  return llvm::StringRef(error.DiagnosticName).starts_with("clang-diagnostic-");
}

}  // namespace

CustomisedRun& CustomisedRun::Current() {
  thread_local CustomisedRun run;
  return run;
}

void CustomisedRun::Begin(clang::DiagnosticsEngine& checkDiagnostics, llvm::raw_ostream& errors) {
  *this = CustomisedRun();
  checkDiagnostics_ = &checkDiagnostics;
  errors_ = &errors;
}

void CustomisedRun::ReportHookFailure(const std::string& message) {
  if (std::find(failures_.begin(), failures_.end(), message) != failures_.end()) return;
  failures_.push_back(message);
  if (errors_ != nullptr) *errors_ << "error: the check hook failed: " << message << "\n";
}

void CustomisedRun::Drop(const std::string& check, const clang::SourceManager& sources,
                         clang::SourceLocation location) {
  const clang::SourceLocation fileLocation = sources.getFileLoc(location);
  dropped_.emplace_back(check, sources.getFilename(fileLocation).str(), sources.getFileOffset(fileLocation));
}

void CustomisedRun::Apply(std::vector<clang::tidy::ClangTidyError>& errors) {
  const auto leftOut = [this](const clang::tidy::ClangTidyError& error) {
    if (dropChecks_ && !FromCompiler(error)) return true;
    const Key key{error.DiagnosticName, error.Message.FilePath, error.Message.FileOffset};
    return std::find(dropped_.begin(), dropped_.end(), key) != dropped_.end();
  };
  errors.erase(std::remove_if(errors.begin(), errors.end(), leftOut), errors.end());
  *this = CustomisedRun();
}

}  // namespace zoe
