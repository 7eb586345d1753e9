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

// ---- compiler errors ---------------------------------------------------------

class StopAfterErrors : public testing::Test {
 protected:
  void Report(clang::DiagnosticsEngine::Level level) {
    diagnostics_.Report(diagnostics_.getCustomDiagID(level, "%0")) << "message";
  }

  /// The hook's answer; "return" is true or absent.
  std::optional<bool> Answer() {
    const clang::DiagnosticsEngine* pointer = &diagnostics_;
    const auto answer =
        CallHook(HookId::stopAfterErrors, {{"Diagnostics_cptr", Erased(pointer)}, {"other", 5}});
    EXPECT_TRUE(answer.has_value());
    EXPECT_EQ(answer->at("other"), HookValue(5));
    const auto found = answer->find("return");
    if (found == answer->end()) return std::nullopt;
    return std::get<bool>(found->second);
  }

  clang::DiagnosticsEngine diagnostics_{
      llvm::makeIntrusiveRefCnt<clang::DiagnosticIDs>(),
      llvm::makeIntrusiveRefCnt<clang::DiagnosticOptions>(), new clang::IgnoringDiagConsumer};
};

TEST_F(StopAfterErrors, WarningsLetTheCheckGoOn) {
  EXPECT_EQ(Answer(), std::nullopt);
  Report(clang::DiagnosticsEngine::Warning);
  Report(clang::DiagnosticsEngine::Remark);
  EXPECT_EQ(Answer(), std::nullopt);
}

TEST_F(StopAfterErrors, AnErrorStopsIt) {
  Report(clang::DiagnosticsEngine::Error);
  EXPECT_EQ(Answer(), true);
}

TEST_F(StopAfterErrors, AFatalErrorStopsIt) {
  diagnostics_.Report(clang::diag::err_pp_file_not_found) << "missing.h";
  Report(clang::DiagnosticsEngine::Error);  // clang records the fatal error on the next one
  ASSERT_TRUE(diagnostics_.hasFatalErrorOccurred());
  EXPECT_EQ(Answer(), true);
}

// ---- use-using declarations --------------------------------------------------

/// The answer's "return" for the typedef `name` declared in `code`.
std::optional<bool> LeaveDeclarationAnswer(const std::string& code, const std::string& name,
                                           bool markInvalid = false) {
  const std::unique_ptr<clang::ASTUnit> unit =
      clang::tooling::buildASTFromCodeWithArgs(code, {"-fsyntax-only", "-w"});
  EXPECT_NE(unit, nullptr);
  clang::TypedefDecl* declaration = nullptr;
  for (clang::Decl* decl : unit->getASTContext().getTranslationUnitDecl()->decls()) {
    auto* typedefDecl = llvm::dyn_cast<clang::TypedefDecl>(decl);
    if (typedefDecl != nullptr && typedefDecl->getName() == name) declaration = typedefDecl;
  }
  EXPECT_NE(declaration, nullptr) << name;
  if (declaration == nullptr) return std::nullopt;
  if (markInvalid) declaration->setInvalidDecl();
  const clang::TypedefDecl* pointer = declaration;
  const auto answer = CallHook(HookId::useUsingLeaveDeclaration, {{"MatchedDecl_cptr", Erased(pointer)}});
  EXPECT_TRUE(answer.has_value());
  const auto found = answer->find("return");
  if (found == answer->end()) return std::nullopt;
  return std::get<bool>(found->second);
}

TEST(UseUsingLeaveDeclaration, ValidDeclarationIsConverted) {
  EXPECT_EQ(LeaveDeclarationAnswer("typedef int Number;", "Number"), std::nullopt);
}

TEST(UseUsingLeaveDeclaration, InvalidDeclarationIsLeftAlone) {
  EXPECT_EQ(LeaveDeclarationAnswer("typedef int Number;", "Number", true), true);
  EXPECT_EQ(LeaveDeclarationAnswer("typedef int Broken[-1];", "Broken"), true);
}

// ---- bracket level -----------------------------------------------------------

struct BracketRun {
  int32_t level = 0;
  bool failed = false;

  void Feed(clang::tok::TokenKind kind) {
    clang::Token token;
    token.startToken();
    token.setKind(kind);
    const clang::Token* pointer = &token;
    const auto answer = CallHook(
        HookId::bracketLevel, {{"Tok_cptr", Erased(pointer)}, {"ParenLevel_ptr", Erased(&level)}});
    EXPECT_TRUE(answer.has_value());
    EXPECT_EQ(answer->count("Tok_cptr"), 1u);
    const auto fail = answer->find("fail");
    failed = fail != answer->end();
    EXPECT_TRUE(!failed || fail->second == HookValue(true));
  }
};

TEST(BracketLevel, AngleBracketsMoveTheLevel) {
  BracketRun run;
  run.Feed(clang::tok::less);
  run.Feed(clang::tok::less);
  EXPECT_EQ(run.level, 2);
  run.Feed(clang::tok::greatergreater);
  EXPECT_EQ(run.level, 0);
  EXPECT_FALSE(run.failed);
  run.Feed(clang::tok::less);
  run.Feed(clang::tok::greater);
  EXPECT_EQ(run.level, 0);
  EXPECT_FALSE(run.failed);
}

TEST(BracketLevel, OtherTokensLeaveIt) {
  BracketRun run{.level = 1};
  for (auto kind : {clang::tok::identifier, clang::tok::lessless, clang::tok::greaterequal,
                    clang::tok::greatergreatergreater, clang::tok::l_paren, clang::tok::r_paren}) {
    run.Feed(kind);
  }
  EXPECT_EQ(run.level, 1);
  EXPECT_FALSE(run.failed);
}

TEST(BracketLevel, DroppingBelowZeroFails) {
  BracketRun closing;
  closing.Feed(clang::tok::greater);
  EXPECT_EQ(closing.level, -1);
  EXPECT_TRUE(closing.failed);

  BracketRun shifted{.level = 1};
  shifted.Feed(clang::tok::greatergreater);
  EXPECT_EQ(shifted.level, -1);
  EXPECT_TRUE(shifted.failed);
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
