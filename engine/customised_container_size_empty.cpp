#include "customised_container_size_empty.h"

#include <string>

#include "check_hooks.h"
#include "customised_run.h"
#include "held_diagnostics.h"

namespace zoe {

namespace {

/// Asks the hook whether the container's text in a fix "[!]TEXT.empty()" or
/// "[!]TEXT->empty()" goes in parentheses, and puts it there.
void DecideBraces(clang::FixItHint& fix) {
  llvm::StringRef text = fix.CodeToInsert;
  const bool negated = text.consume_front("!");
  const llvm::StringRef call = text.ends_with("->empty()") ? "->empty()" : ".empty()";
  if (!text.consume_back(call) || text.empty()) return;
  bool addBraces = text.starts_with("(") && text.ends_with(")");
  if (addBraces) return;  // the stock check has put them there
  AskHook(HookId::replacementBraces, {{"AddBraces_ptr", Erased(&addBraces)}, {"ReplacementText_str", text.str()}});
  if (!addBraces) return;
  fix.CodeToInsert = (negated ? "!(" : "(") + text.str() + ")" + call.str();
}

}  // namespace

void CustomisedContainerSizeEmpty::check(const clang::ast_matchers::MatchFinder::MatchResult& result) {
  if (!HookInstalled()) return ContainerSizeEmptyCheck::check(result);
  HeldDiagnostics held(CustomisedRun::Current().CheckDiagnostics());
  ContainerSizeEmptyCheck::check(result);
  for (HeldDiagnostic& diagnostic : held.Release()) {
    for (clang::FixItHint& fix : diagnostic.fixes) DecideBraces(fix);
    Report(*this, getID(), diagnostic);
  }
}

}  // namespace zoe
