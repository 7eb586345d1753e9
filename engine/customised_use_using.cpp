#include "customised_use_using.h"

#include <string>

#include <clang/Lex/Lexer.h>

#include "check_hooks.h"

namespace zoe {

namespace {

/// True when the hook asks to leave the declaration alone.
bool LeaveAlone(const clang::TypedefDecl& declaration) {
  const std::optional<HookArgs> answer =
      AskHook(HookId::useUsingLeaveDeclaration, {{"MatchedDecl_cptr", Erased(&declaration)}});
  return AnswerFlag(answer, "return") == true;
}

/// True when the hook lets arrays be converted.
bool ArraysAllowed() {
  bool skipArray = true;
  AskHook(HookId::useUsingArrays, {{"skip_array_ptr", Erased(&skipArray)}});
  return !skipArray;
}

/// Whether the name stands inside the type as written: "int NAME[3]",
/// "int (*NAME)[4]", "void (*NAME)(int)".
bool NameInsideType(const clang::TypedefDecl& declaration, const clang::SourceManager& sources) {
  const clang::SourceLocation typeEnd = declaration.getTypeSourceInfo()->getTypeLoc().getEndLoc();
  return sources.isBeforeInTranslationUnit(declaration.getLocation(), typeEnd);
}

/// Whether the declarator list that begins with `first` holds a name inside its type.
bool ListHoldsNameInsideType(const clang::TypedefDecl& first, const clang::SourceManager& sources) {
  for (const clang::Decl* next = &first; next != nullptr && next->getBeginLoc() == first.getBeginLoc();
       next = next->getNextDeclInContext()) {
    const auto* declaration = llvm::dyn_cast<clang::TypedefDecl>(next);
    if (declaration != nullptr && NameInsideType(*declaration, sources)) return true;
  }
  return false;
}

}  // namespace

CustomisedUseUsing::CustomisedUseUsing(llvm::StringRef name, clang::tidy::ClangTidyContext* context)
    : UseUsingCheck(name, context), ignoreExternC_(BoolOption(Options, "IgnoreExternC", false)) {}

void CustomisedUseUsing::check(const clang::ast_matchers::MatchFinder::MatchResult& result) {
  const auto* declaration = result.Nodes.getNodeAs<clang::TypedefDecl>("typedef");
  // System headers are never reported on: the many typedefs there go to the
  // stock check without asking the hook.
  if (declaration != nullptr && HookInstalled() &&
      !result.SourceManager->isInSystemHeader(declaration->getLocation())) {
    if (LeaveAlone(*declaration)) return;
    if (InListWithoutFix(*declaration, *result.SourceManager)) {
      diag(declaration->getLocation(), "use 'using' instead of 'typedef'");
      return;
    }
    if (ConvertNameInsideType(*declaration, *result.SourceManager)) return;
  }
  UseUsingCheck::check(result);
}

bool CustomisedUseUsing::InListWithoutFix(const clang::TypedefDecl& declaration, const clang::SourceManager& sources) {
  const clang::SourceLocation start = declaration.getBeginLoc();
  if (start != listStart_) {  // the first of a list is followed by a comma
    const std::optional<clang::Token> next =
        clang::Lexer::findNextToken(declaration.getEndLoc(), sources, getLangOpts());
    if (start.isMacroID() || !next || !next->is(clang::tok::comma)) return false;
    listStart_ = start;
    listWithoutFix_ = ListHoldsNameInsideType(declaration, sources);
  }
  return listWithoutFix_;
}

bool CustomisedUseUsing::ConvertNameInsideType(const clang::TypedefDecl& declaration,
                                               const clang::SourceManager& sources) {
  const clang::LangOptions& language = getLangOpts();
  const clang::SourceLocation start = declaration.getBeginLoc();
  const clang::TypeLoc type = declaration.getTypeSourceInfo()->getTypeLoc();
  // The stock check fixes functions and pointers to them right.
  if (declaration.getFunctionType() != nullptr || declaration.getLocation().isInvalid() || start.isMacroID() ||
      type.getBeginLoc().isMacroID() || type.getEndLoc().isMacroID() || !NameInsideType(declaration, sources) ||
      (ignoreExternC_ && declaration.getDeclContext()->isExternCContext())) {
    return false;
  }
  const auto text = [&](clang::SourceLocation from, clang::SourceLocation to) {
    return clang::Lexer::getSourceText(clang::CharSourceRange::getCharRange(from, to), sources, language);
  };
  const auto afterToken = [&](clang::SourceLocation token) {
    return clang::Lexer::getLocForEndOfToken(token, 0, sources, language);
  };
  // Only "typedef T NAME[N];" standing alone; a declarator list stays with
  // the stock check.
  const std::optional<clang::Token> next = clang::Lexer::findNextToken(declaration.getEndLoc(), sources, language);
  if (text(start, afterToken(start)) != "typedef" || !next || !next->is(clang::tok::semi)) return false;
  if (declaration.getUnderlyingType()->isArrayType() && !ArraysAllowed()) return false;

  // The type is what the declaration says around the name: "const char*"
  // and "[3]", "int (*" and ")[4]" (qualifiers written first are outside the
  // type's own range).
  const std::string left = text(afterToken(start), declaration.getLocation()).trim().str();
  const std::string right = text(afterToken(declaration.getLocation()), afterToken(type.getEndLoc())).trim().str();
  const std::string replacement = "using " + declaration.getName().str() + " = " + left + right;
  diag(start, "use 'using' instead of 'typedef'") << clang::FixItHint::CreateReplacement(
      clang::CharSourceRange::getCharRange(start, afterToken(declaration.getEndLoc())), replacement);
  return true;
}

}  // namespace zoe
