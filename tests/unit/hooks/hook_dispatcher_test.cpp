#include "hooks/hook_dispatcher.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
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
  const auto answer = CallHook(HookId::loopConvertPreferType, {{"ok", std::string("was text")}, {"x", pi}, {"n", -4}});
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, (HookArgs{{"ok", true}, {"x", pi}, {"n", -4}}));
}

TEST(HookDispatcher, PreferTypeFollowsItsOption) {
  const std::string option = "modernize-loop-convert.ZO.PreferType";
  auto ok = [&](const CheckOptions& options) {
    return std::get<bool>(CallHook(HookId::loopConvertPreferType, {}, options)->at("ok"));
  };
  EXPECT_TRUE(ok({}));
  EXPECT_TRUE(ok({{option, "00"}}));
  EXPECT_FALSE(ok({{option, "0"}}));
  EXPECT_TRUE(ok({{"modernize-loop-convert.PreferType", "0"}}));  // not the library's option
}

TEST(HookDispatcher, WithoutOptionsEveryBehaviourTakesItsDefault) {
  HookDispatcher dispatcher(nullptr);
  EXPECT_EQ(dispatcher(HookId::loopConvertPreferType, {}), (HookArgs{{"ok", true}}));
}

/// What a call of the hook throws, as "kind" or "kind: message".
std::string Thrown(uint32_t id, HookArgs args) {
  try {
    CallHook(id, std::move(args));
  } catch (const std::out_of_range& error) {
    return std::string("out_of_range: ") + error.what();
  } catch (const std::bad_variant_access&) {
    return "bad_variant_access";
  } catch (const std::bad_any_cast&) {
    return "bad_any_cast";
  } catch (const std::invalid_argument&) {
    return "invalid_argument";
  }
  return "nothing";
}

TEST(HookDispatcher, MissingWrongOrMistypedArgumentsRaiseTheirErrors) {
  bool flag = false;
  int32_t notABool = 0;
  const bool constFlag = true;
  const std::string missing = "out_of_range: invalid unordered_map<K, T> key";
  const std::vector<std::tuple<uint32_t, HookArgs, std::string>> cases = {
      {HookId::replacementBraces, {{"AddBraces_ptr", Erased(&flag)}}, missing},
      {HookId::loopConvertVariableName, {{"IteratorName", std::string("m_x")}}, missing},
      {HookId::replacementBraces, {{"AddBraces_ptr", Erased(&flag)}, {"ReplacementText_str", 7}}, "bad_variant_access"},
      {HookId::useUsingArrays, {{"skip_array_ptr", true}}, "bad_variant_access"},
      {HookId::useUsingArrays, {{"skip_array_ptr", Erased(&notABool)}}, "bad_any_cast"},
      {HookId::useUsingArrays, {{"skip_array_ptr", Erased(&constFlag)}}, "bad_any_cast"},
      {HookId::useUsingArrays, {{"skip_array_ptr", std::shared_ptr<std::any>()}}, "bad_any_cast"},
      {HookId::useUsingArrays, {{"skip_array_ptr", Erased<bool*>(nullptr)}}, "invalid_argument"},
  };
  for (size_t row = 0; row < cases.size(); ++row) {
    const auto& [id, args, thrown] = cases[row];
    EXPECT_EQ(Thrown(id, args), thrown) << row;
  }
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
