#include "customised_make_smart_pointer.h"

#include <clang/ASTMatchers/ASTMatchers.h>

#include "check_hooks.h"
#include "customised_run.h"

namespace zoe {

namespace {
constexpr char kCall[] = "arrayCall";
constexpr char kNew[] = "arrayNew";
}  // namespace

void ArraySmartPointerHook::RegisterMatchers(clang::ast_matchers::MatchFinder& finder,
                                             clang::ast_matchers::MatchFinder::MatchCallback& callback) {
  using namespace clang::ast_matchers;
  const auto arrayNew = ignoringParenImpCasts(cxxNewExpr(isArray()).bind(kNew));
  finder.addMatcher(
      traverse(clang::TK_AsIs,
               cxxMemberCallExpr(callee(cxxMethodDecl(hasName("reset"))), hasArgument(0, arrayNew)).bind(kCall)),
      &callback);
  finder.addMatcher(
      traverse(clang::TK_AsIs, cxxConstructExpr(argumentCountIs(1), hasArgument(0, arrayNew)).bind(kCall)), &callback);
}

void ArraySmartPointerHook::Check(const clang::ast_matchers::MatchFinder::MatchResult& result) const {
  const auto* call = result.Nodes.getNodeAs<clang::Expr>(kCall);
  if (call == nullptr || !HookInstalled()) return;
  bool skipArray = true;
  AskHook(HookId::makeSmartPointerArrays,
          {{"skip_array_ptr", Erased(&skipArray)}, {"typeid_str", std::string(stockTypeName_)}});
  // The stock fix moves the braces of `new T[n]{...}` into the call's
  // arguments, which does not compile: such a report goes whatever the hook says.
  const auto* created = result.Nodes.getNodeAs<clang::CXXNewExpr>(kNew);
  const bool braces =
      created != nullptr && created->getInitializationStyle() == clang::CXXNewInitializationStyle::Braces;
  // The stock check reports at the call's own location.
  if (skipArray || braces) CustomisedRun::Current().Drop(checkName_, *result.SourceManager, call->getExprLoc());
}

}  // namespace zoe
