#include "hooks/hook_dispatcher.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <variant>

#include "hook_test_support.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Testing::CallHook;
using Testing::Erased;

TEST(HookDispatcher, OtherIdentifiersAnswerNothingAndLeaveTheArguments) {
  const CheckOptions options{{"modernize-loop-convert.ZO.PreferType", "0"}};
  CheckHook hook = MakeCheckHook(&options);
  for (const uint32_t id : {0u, 1u, 0x199BB5C8u, 0xFFFFFFFFu}) {
    HookArgs args{{"IteratorName", std::string("m_items")}, {"n", 3}};
    EXPECT_EQ(hook(id, std::move(args)), std::nullopt);
    EXPECT_EQ(args, (HookArgs{{"IteratorName", std::string("m_items")}, {"n", 3}}));  // NOLINT
  }
}

TEST(HookDispatcher, AnswerKeepsEveryArgumentAndOverwritesResultsOfAnotherKind) {
  const double pi = 3.25;
  const auto answer = CallHook(HookId::loopConvertPreferType,
                               {{"ok", std::string("was text")}, {"x", pi}, {"n", -4}});
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, (HookArgs{{"ok", true}, {"x", pi}, {"n", -4}}));
}

TEST(HookDispatcher, PreferTypeFollowsItsOption) {
  const std::string option = "modernize-loop-convert.ZO.PreferType";
  auto ok = [&](const CheckOptions& options) {
    return std::get<bool>(CallHook(HookId::loopConvertPreferType, {}, options)->at("ok"));
  };
  EXPECT_TRUE(ok({}));
  EXPECT_TRUE(ok({{option, "1"}}));
  EXPECT_TRUE(ok({{option, "00"}}));
  EXPECT_FALSE(ok({{option, "0"}}));
  EXPECT_TRUE(ok({{"modernize-loop-convert.PreferType", "0"}}));  // not the library's option
}

TEST(HookDispatcher, WithoutOptionsEveryBehaviourTakesItsDefault) {
  HookDispatcher dispatcher(nullptr);
  EXPECT_EQ(dispatcher(HookId::loopConvertPreferType, {}), (HookArgs{{"ok", true}}));
}

TEST(HookDispatcher, MissingArgumentRaisesOutOfRange) {
  bool flag = true;
  try {
    CallHook(HookId::replacementBraces, {{"AddBraces_ptr", Erased(&flag)}});
    FAIL() << "no error";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(), "invalid unordered_map<K, T> key");
  }
  EXPECT_THROW(CallHook(HookId::useUsingArrays, {}), std::out_of_range);
  EXPECT_THROW(CallHook(HookId::loopConvertVariableName, {{"IteratorName", std::string("m_x")}}),
               std::out_of_range);
}

TEST(HookDispatcher, WrongAlternativeRaisesBadVariantAccess) {
  bool flag = false;
  EXPECT_THROW(CallHook(HookId::replacementBraces,
                        {{"AddBraces_ptr", Erased(&flag)}, {"ReplacementText_str", 7}}),
               std::bad_variant_access);
  EXPECT_THROW(CallHook(HookId::useUsingArrays, {{"skip_array_ptr", true}}),
               std::bad_variant_access);
}

TEST(HookDispatcher, ErasedValueOfAnotherTypeIsRefused) {
  int32_t notABool = 0;
  const bool constFlag = true;
  EXPECT_THROW(CallHook(HookId::useUsingArrays, {{"skip_array_ptr", Erased(&notABool)}}),
               std::bad_any_cast);
  EXPECT_THROW(CallHook(HookId::useUsingArrays, {{"skip_array_ptr", Erased(&constFlag)}}),
               std::bad_any_cast);
  EXPECT_THROW(CallHook(HookId::useUsingArrays, {{"skip_array_ptr", std::shared_ptr<std::any>()}}),
               std::bad_any_cast);
  EXPECT_THROW(CallHook(HookId::useUsingArrays, {{"skip_array_ptr", Erased<bool*>(nullptr)}}),
               std::invalid_argument);
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
