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
    const auto answer = CallHook(HookId::stopAfterErrors, {{"Diagnostics_cptr", Erased(pointer)}, {"other", 5}});
    EXPECT_TRUE(answer.has_value());
    EXPECT_EQ(answer->at("other"), HookValue(5));
    const auto found = answer->find("return");
    if (found == answer->end()) return std::nullopt;
    return std::get<bool>(found->second);
  }

  clang::DiagnosticsEngine diagnostics_{llvm::makeIntrusiveRefCnt<clang::DiagnosticIDs>(),
                                        llvm::makeIntrusiveRefCnt<clang::DiagnosticOptions>(),
                                        new clang::IgnoringDiagConsumer};
};

TEST_F(StopAfterErrors, WarningsLetTheCheckGoOnAndAnyErrorStopsIt) {
  EXPECT_EQ(Answer(), std::nullopt);
  Report(clang::DiagnosticsEngine::Warning);
  Report(clang::DiagnosticsEngine::Remark);
  EXPECT_EQ(Answer(), std::nullopt);
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
std::optional<bool> LeaveDeclarationAnswer(const std::string& code, const std::string& name, bool markInvalid = false) {
  const std::unique_ptr<clang::ASTUnit> unit = clang::tooling::buildASTFromCodeWithArgs(code, {"-fsyntax-only", "-w"});
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

TEST(UseUsingLeaveDeclaration, OnlyInvalidDeclarationsAreLeftAlone) {
  EXPECT_EQ(LeaveDeclarationAnswer("typedef int Number;", "Number"), std::nullopt);
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
    const auto answer =
        CallHook(HookId::bracketLevel, {{"Tok_cptr", Erased(pointer)}, {"ParenLevel_ptr", Erased(&level)}});
    EXPECT_TRUE(answer.has_value());
    EXPECT_EQ(answer->count("Tok_cptr"), 1u);
    const auto fail = answer->find("fail");
    failed = fail != answer->end();
    EXPECT_TRUE(!failed || fail->second == HookValue(true));
  }
};

struct BracketCase {
  int32_t start;
  std::vector<clang::tok::TokenKind> tokens;
  int32_t level;
  bool failed;  ///< after the last token
};

TEST(BracketLevel, AngleBracketsMoveTheLevelAndDroppingBelowZeroFails) {
  using namespace clang::tok;
  const std::vector<BracketCase> cases = {
      {0, {less, less}, 2, false},
      {0, {less, less, greatergreater}, 0, false},
      {0, {less, greater}, 0, false},
      {1, {identifier, lessless, greaterequal, greatergreatergreater, l_paren, r_paren}, 1, false},
      {0, {greater}, -1, true},
      {1, {greatergreater}, -1, true},
  };
  for (size_t row = 0; row < cases.size(); ++row) {
    BracketRun run{.level = cases[row].start};
    for (auto kind : cases[row].tokens) run.Feed(kind);
    EXPECT_EQ(run.level, cases[row].level) << row;
    EXPECT_EQ(run.failed, cases[row].failed) << row;
  }
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
