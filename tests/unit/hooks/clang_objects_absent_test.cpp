// A build that leaves the clang object reader out: the behaviours that need
// it fail with an error that says so, after checking their arguments.
#include <gtest/gtest.h>

#include <stdexcept>

#include "hook_test_support.h"

namespace clang {
class Token;
}

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Testing::CallHook;
using Testing::Erased;

TEST(ClangObjectsLeftOut, BehavioursSayWhyTheyCannotAnswer) {
  int32_t level = 0;
  const clang::Token* token = nullptr;
  const auto call = [&] {
    CallHook(HookId::bracketLevel,
             {{"Tok_cptr", Erased(reinterpret_cast<const clang::Token*>(&level))},
              {"ParenLevel_ptr", Erased(&level)}});
  };
  try {
    call();
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("cannot read clang objects"), std::string::npos);
  }
  EXPECT_EQ(level, 0);
  EXPECT_THROW(CallHook(HookId::bracketLevel, {{"Tok_cptr", Erased(token)}}), std::invalid_argument);
  EXPECT_THROW(CallHook(HookId::stopAfterErrors, {}), std::out_of_range);
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
