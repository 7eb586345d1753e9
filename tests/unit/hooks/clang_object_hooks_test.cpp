// The bracket level behaviour with real clang tokens. Stopping after errors
// and leaving invalid typedefs alone are pinned by the library's runs with
// the real engine.
#include <clang/Lex/Token.h>
#include <gtest/gtest.h>

#include "hook_test_support.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Testing::CallHook;
using Testing::Erased;

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
