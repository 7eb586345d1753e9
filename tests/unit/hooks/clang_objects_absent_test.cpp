// A build that leaves the clang object reader out: the behaviours that need
// it check their arguments, then answer nothing and leave the engine's
// values alone; the note the service logs when it makes its engine says why.
#include <gtest/gtest.h>

#include <stdexcept>

#include "hook_test_support.h"
#include "hooks/check_behaviours.h"
#include "hostlib/zoipc.h"

namespace clang {
class DiagnosticsEngine;
class Token;
class TypedefDecl;
}  // namespace clang

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Testing::CallHook;
using Testing::Erased;

TEST(ClangObjectsLeftOut, BehavioursAnswerNothingAndTheNoteSaysWhy) {
  std::vector<std::string> logged;
  zoIPC::host::SetLogSink([&](Logging::Level, const std::string& text) { logged.push_back(text); });
  int32_t level = 0;  // never read as a clang object: any address will do
  const auto* token = reinterpret_cast<const clang::Token*>(&level);
  for (int round = 0; round < 2; ++round) {
    EXPECT_FALSE(CallHook(HookId::bracketLevel, {{"Tok_cptr", Erased(token)}, {"ParenLevel_ptr", Erased(&level)}}));
    EXPECT_FALSE(CallHook(HookId::stopAfterErrors,
                          {{"Diagnostics_cptr", Erased(reinterpret_cast<const clang::DiagnosticsEngine*>(&level))}}));
    EXPECT_FALSE(CallHook(HookId::useUsingLeaveDeclaration,
                          {{"MatchedDecl_cptr", Erased(reinterpret_cast<const clang::TypedefDecl*>(&level))}}));
  }
  EXPECT_EQ(level, 0);
  EXPECT_TRUE(logged.empty());
  Behaviours::NoteUnansweredBehaviours();
  zoIPC::host::SetLogSink({});
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find("cannot read the engine's clang objects"), std::string::npos);
  // Arguments are still checked as for every behaviour.
  EXPECT_THROW(CallHook(HookId::bracketLevel, {{"Tok_cptr", Erased(static_cast<const clang::Token*>(nullptr))}}),
               std::invalid_argument);
  EXPECT_THROW(CallHook(HookId::stopAfterErrors, {}), std::out_of_range);
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
