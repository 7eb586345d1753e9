#include "traversal_scope.h"

#include <vector>

#include <clang/AST/ASTContext.h>
#include <clang/AST/Decl.h>
#include <clang/Basic/SourceManager.h>

namespace zoe {

namespace {

/// Checks whose verdict on user code depends on what they collect inside
/// system headers. (bugprone-forward-declaration-namespace would also compare
/// an unused forward declaration with plain classes of the same name in system
/// headers; it does not, by choice: it would make every run of bugprone-*
/// visit the whole unit.)
constexpr std::string_view kWholeUnitChecks[] = {
    "misc-confusable-identifiers",  // user names against every name of the unit
    "misc-no-recursion",            // cycles through system templates (std::function, algorithms)
};

}  // namespace

bool ChecksNeedWholeUnit(const std::function<bool(std::string_view)>& isEnabled) {
  for (std::string_view check : kWholeUnitChecks) {
    if (isEnabled(check)) return true;
  }
  return false;
}

void VisitOnlyUserDeclarations(clang::ASTContext& context, bool onlyParsed) {
  const clang::SourceManager& sources = context.getSourceManager();
  std::vector<clang::Decl*> scope;
  const clang::TranslationUnitDecl* unit = context.getTranslationUnitDecl();
  for (clang::Decl* declaration : onlyParsed ? unit->noload_decls() : unit->decls()) {
    const clang::SourceLocation location = declaration->getLocation();
    // Implicit declarations (builtin types) have no location; nothing is
    // reported there.
    if (location.isValid() && !sources.isInSystemHeader(location)) scope.push_back(declaration);
  }
  context.setTraversalScope(scope);
}

}  // namespace zoe
