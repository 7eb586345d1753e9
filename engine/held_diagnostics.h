// Diagnostics a stock check reports during one call, held back so that the
// customised check can change their fixes before it reports them itself.
#pragma once

#include <string>
#include <vector>

#include <ClangTidyCheck.h>
#include <clang/Basic/Diagnostic.h>

namespace zoe {

/// One held diagnostic: where, what, and its fixes.
struct HeldDiagnostic {
  clang::DiagnosticIDs::Level level;
  clang::SourceLocation location;
  std::string message;
  std::vector<clang::FixItHint> fixes;
};

/// While it lives, the diagnostics reported to `engine` are held instead of
/// collected; nothing is held when `engine` is null.
class HeldDiagnostics final : public clang::DiagnosticConsumer {
 public:
  explicit HeldDiagnostics(clang::DiagnosticsEngine* engine);
  ~HeldDiagnostics() override;
  HeldDiagnostics(const HeldDiagnostics&) = delete;
  HeldDiagnostics& operator=(const HeldDiagnostics&) = delete;

  void HandleDiagnostic(clang::DiagnosticsEngine::Level level, const clang::Diagnostic& info) override;

  /// Stops holding and hands over what was held.
  std::vector<HeldDiagnostic> Release();

 private:
  void Restore();

  clang::DiagnosticsEngine* engine_;
  clang::DiagnosticConsumer* client_ = nullptr;
  std::unique_ptr<clang::DiagnosticConsumer> ownedClient_;
  std::vector<HeldDiagnostic> held_;
};

/// Reports `diagnostic` as the own of `check`, named `checkName`.
void Report(clang::tidy::ClangTidyCheck& check, llvm::StringRef checkName, const HeldDiagnostic& diagnostic);

}  // namespace zoe
