// The behaviours that read clang objects, with real clang objects.
#include <clang/AST/ASTContext.h>
#include <clang/AST/Decl.h>
#include <clang/Basic/Diagnostic.h>
#include <clang/Basic/DiagnosticLex.h>
#include <clang/Basic/DiagnosticOptions.h>
#include <clang/Frontend/ASTUnit.h>
#include <clang/Lex/Token.h>
#include <clang/Tooling/Tooling.h>
#include <gtest/gtest.h>

#include "hook_test_support.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Testing::CallHook;
using Testing::Erased;

/// The hook's "return" for an object of type T; absent when it has none.
/// Every other argument is kept.
template <typename T>
std::optional<bool> Return(uint32_t id, const std::string& name, const T* object) {
  const auto answer = CallHook(id, {{name, Erased(object)}, {"other", 5}});
  EXPECT_TRUE(answer.has_value());
  EXPECT_EQ(answer->at("other"), HookValue(5));
  const auto found = answer->find("return");
  if (found == answer->end()) return std::nullopt;
  return std::get<bool>(found->second);
}

// Warnings let the check go on; any error stops it, a fatal one too.
TEST(StopAfterErrors, WarningsLetTheCheckGoOnAndAnyErrorStopsIt) {
  for (bool fatal : {false, true}) {
    clang::DiagnosticsEngine diagnostics{llvm::makeIntrusiveRefCnt<clang::DiagnosticIDs>(),
                                         llvm::makeIntrusiveRefCnt<clang::DiagnosticOptions>(),
                                         new clang::IgnoringDiagConsumer};
    auto report = [&](clang::DiagnosticsEngine::Level level) {
      diagnostics.Report(diagnostics.getCustomDiagID(level, "%0")) << "message";
    };
    const auto answer = [&] { return Return(HookId::stopAfterErrors, "Diagnostics_cptr", &diagnostics); };
    EXPECT_EQ(answer(), std::nullopt);
    report(clang::DiagnosticsEngine::Warning);
    report(clang::DiagnosticsEngine::Remark);
    EXPECT_EQ(answer(), std::nullopt);
    if (fatal) diagnostics.Report(clang::diag::err_pp_file_not_found) << "missing.h";
    report(clang::DiagnosticsEngine::Error);  // clang records a fatal error on the next one
    EXPECT_EQ(diagnostics.hasFatalErrorOccurred(), fatal);
    EXPECT_EQ(answer(), true);
  }
}

TEST(UseUsingLeaveDeclaration, OnlyInvalidDeclarationsAreLeftAlone) {
  const std::tuple<std::string, bool, std::optional<bool>> cases[] = {{"typedef int Number;", false, std::nullopt},
                                                                      {"typedef int Number;", true, true},
                                                                      {"typedef int B[-1];", false, true}};
  for (const auto& [code, markInvalid, expected] : cases) {
    const auto unit = clang::tooling::buildASTFromCodeWithArgs(code, {"-fsyntax-only", "-w"});
    ASSERT_NE(unit, nullptr);
    clang::TypedefDecl* declaration = nullptr;
    for (clang::Decl* decl : unit->getASTContext().getTranslationUnitDecl()->decls()) {
      if (auto* typedefDecl = llvm::dyn_cast<clang::TypedefDecl>(decl)) declaration = typedefDecl;
    }
    ASSERT_NE(declaration, nullptr) << code;
    if (markInvalid) declaration->setInvalidDecl();
    const clang::TypedefDecl* pointer = declaration;
    EXPECT_EQ(Return(HookId::useUsingLeaveDeclaration, "MatchedDecl_cptr", pointer), expected) << code;
  }
}

TEST(BracketLevel, AngleBracketsMoveTheLevelAndDroppingBelowZeroFails) {
  using namespace clang::tok;
  const std::tuple<int32_t, std::vector<TokenKind>, int32_t, bool> cases[] = {
      {0, {less, less}, 2, false},
      {0, {less, less, greatergreater}, 0, false},
      {0, {less, greater}, 0, false},
      {1, {identifier, lessless, greaterequal, greatergreatergreater, l_paren, r_paren}, 1, false},
      {0, {greater}, -1, true},
      {1, {greatergreater}, -1, true}};
  for (const auto& [start, tokens, end, fails] : cases) {
    int32_t level = start;
    bool failed = false;  // after the last token
    for (TokenKind kind : tokens) {
      clang::Token token;
      token.startToken();
      token.setKind(kind);
      const clang::Token* pointer = &token;
      const auto answer =
          CallHook(HookId::bracketLevel, {{"Tok_cptr", Erased(pointer)}, {"ParenLevel_ptr", Erased(&level)}});
      ASSERT_TRUE(answer.has_value());
      EXPECT_EQ(answer->count("Tok_cptr"), 1u);
      failed = answer->contains("fail");
      EXPECT_TRUE(!failed || answer->at("fail") == HookValue(true));
    }
    EXPECT_EQ(level, end) << start;
    EXPECT_EQ(failed, fails) << start;
  }
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
