#include "customised_bool_literals.h"

#include <string>

#include <clang/Lex/Lexer.h>

#include "check_hooks.h"

namespace zoe {

CustomisedBoolLiterals::CustomisedBoolLiterals(llvm::StringRef name, clang::tidy::ClangTidyContext* context)
    : UseBoolLiteralsCheck(name, context), ignoreMacros_(BoolOption(Options, "IgnoreMacros", true)) {}

void CustomisedBoolLiterals::check(const clang::ast_matchers::MatchFinder::MatchResult& result) {
  if (!HookInstalled()) return UseBoolLiteralsCheck::check(result);
  const auto* literal = result.Nodes.getNodeAs<clang::IntegerLiteral>("literal");
  const auto* cast = result.Nodes.getNodeAs<clang::Expr>("cast");
  if (literal == nullptr || literal->isInstantiationDependent()) return;
  const clang::Expr& expression = cast != nullptr ? *cast : *literal;
  const clang::SourceManager& sources = *result.SourceManager;
  // Where the literal is written: the macro's name when a whole macro
  // expansion stands for it.
  const clang::CharSourceRange written = clang::Lexer::makeFileCharRange(
      clang::CharSourceRange::getTokenRange(expression.getSourceRange()), sources, getLangOpts());

  bool inMacro = expression.getBeginLoc().isMacroID();
  bool ignoreMacros = ignoreMacros_;
  AskHook(HookId::boolLiteralMacros,
          {{"InMacro_ptr", Erased(&inMacro)},
           {"IgnoreMacros_ptr", Erased(&ignoreMacros)},
           {"Expression_str", clang::Lexer::getSourceText(written, sources, getLangOpts()).str()}});
  if (inMacro && ignoreMacros) return;

  auto diagnostic = diag(expression.getExprLoc(), "converting integer literal to bool, use bool literal instead");
  if (!inMacro && written.isValid()) {
    diagnostic << clang::FixItHint::CreateReplacement(written, literal->getValue().getBoolValue() ? "true" : "false");
  }
}

}  // namespace zoe
