// What the customised checks decide during one run that can only take effect
// on the collected diagnostics: diagnostics of a stock check to leave out,
// and leaving out every check's diagnostics once the hook has stopped the
// checks after compiler errors. Kept per calling thread, as runs are.
#pragma once

#include <string>
#include <tuple>
#include <vector>

namespace llvm {
class raw_ostream;
}

namespace clang {
class DiagnosticsEngine;
class SourceLocation;
class SourceManager;
namespace tidy {
struct ClangTidyError;
}
}  // namespace clang

namespace zoe {

class CustomisedRun {
 public:
  /// The calling thread's run.
  static CustomisedRun& Current();

  /// Starts a run whose checks report to `checkDiagnostics` and whose hook
  /// failures go to `errors`.
  void Begin(clang::DiagnosticsEngine& checkDiagnostics, llvm::raw_ostream& errors);

  /// Where the run's checks report; nullptr outside a run.
  clang::DiagnosticsEngine* CheckDiagnostics() const { return checkDiagnostics_; }

  /// Reports a failing hook once per message.
  void ReportHookFailure(const std::string& message);

  /// Leaves out the diagnostic of `check` reported at `location`.
  void Drop(const std::string& check, const clang::SourceManager& sources, clang::SourceLocation location);

  /// Leaves out every check's diagnostics; the compiler's stay.
  void DropCheckDiagnostics() { dropChecks_ = true; }

  /// Applies the run's decisions to what it collected, and ends the run.
  void Apply(std::vector<clang::tidy::ClangTidyError>& errors);

 private:
  using Key = std::tuple<std::string, std::string, unsigned>;  // check, file, offset

  clang::DiagnosticsEngine* checkDiagnostics_ = nullptr;
  llvm::raw_ostream* errors_ = nullptr;
  std::vector<std::string> failures_;
  std::vector<Key> dropped_;
  bool dropChecks_ = false;
};

}  // namespace zoe
