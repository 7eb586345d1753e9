// The hook dispatcher and the behaviours that need no clang object, through
// the hook as the engine calls it.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <regex>
#include <set>
#include <stdexcept>

#include "hook_test_support.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Testing::CallHook;
using Testing::Erased;

// Other identifiers answer nothing and leave the arguments; an answer keeps
// every argument and overwrites results of another kind.
TEST(HookDispatcher, RoutesByIdentifierAndPreferTypeFollowsItsOption) {
  const std::string option = "modernize-loop-convert.ZO.PreferType";
  const CheckOptions off{{option, "0"}};
  for (const uint32_t id : {0u, 1u, 0x199BB5C8u, 0xFFFFFFFFu}) {
    HookArgs args{{"IteratorName", std::string("m_items")}, {"n", 3}};
    EXPECT_EQ(MakeCheckHook(&off)(id, std::move(args)), std::nullopt);
    EXPECT_EQ(args, (HookArgs{{"IteratorName", std::string("m_items")}, {"n", 3}}));  // NOLINT
  }
  const std::pair<CheckOptions, bool> cases[] = {{{}, true},
                                                 {{{option, "00"}}, true},
                                                 {{{option, "0"}}, false},
                                                 {{{"modernize-loop-convert.PreferType", "0"}}, true}};
  for (const auto& [options, ok] : cases) {
    EXPECT_EQ(CallHook(HookId::loopConvertPreferType, {{"ok", std::string("was text")}, {"x", 3.25}}, options),
              (HookArgs{{"ok", ok}, {"x", 3.25}}));
  }
  EXPECT_EQ(HookDispatcher(nullptr)(HookId::loopConvertPreferType, {}), (HookArgs{{"ok", true}}));
}

/// What a call of the hook throws, as "kind" or "kind: message".
std::string Thrown(uint32_t id, HookArgs args, const CheckOptions& options = {}) {
  try {
    CallHook(id, std::move(args), options);
  } catch (const std::out_of_range& error) {
    return std::string("out_of_range: ") + error.what();
  } catch (const std::invalid_argument& error) {
    return std::string("invalid_argument: ") + error.what();
  } catch (const std::bad_variant_access&) {
    return "bad_variant_access";
  } catch (const std::bad_any_cast&) {
    return "bad_any_cast";
  }
  return "nothing";
}

// The errors are those of the host's runtime, type and message.
TEST(HookDispatcher, MissingWrongOrMistypedArgumentsAndOptionsRaiseTheirErrors) {
  bool flag = false, on = true;
  int32_t notABool = 0;
  const bool constFlag = true;
  const std::string missing = "out_of_range: invalid unordered_map<K, T> key";
  const HookArgs macro{{"InMacro_ptr", Erased(&on)}, {"IgnoreMacros_ptr", Erased(&on)}, {"Expression_str", "X"}};
  const std::string allowed = "modernize-use-bool-literals.ZO.AllowedMacros";
  const uint32_t braces = HookId::replacementBraces, arrays = HookId::useUsingArrays;
  // clang-format off
  const std::vector<std::tuple<uint32_t, HookArgs, std::string, CheckOptions>> cases = {
      {braces, {{"AddBraces_ptr", Erased(&flag)}}, missing, {}},
      {HookId::loopConvertVariableName, {{"IteratorName", std::string("m_x")}}, missing, {}},
      {braces, {{"AddBraces_ptr", Erased(&flag)}, {"ReplacementText_str", 7}}, "bad_variant_access", {}},
      {arrays, {{"skip_array_ptr", true}}, "bad_variant_access", {}},
      {arrays, {{"skip_array_ptr", Erased(&notABool)}}, "bad_any_cast", {}},
      {arrays, {{"skip_array_ptr", Erased(&constFlag)}}, "bad_any_cast", {}},
      {arrays, {{"skip_array_ptr", std::shared_ptr<std::any>()}}, "bad_any_cast", {}},
      {arrays, {{"skip_array_ptr", Erased<bool*>(nullptr)}}, "invalid_argument: hook argument skip_array_ptr is a null pointer", {}},
      {HookId::boolLiteralMacros, macro, "invalid_argument: invalid stoi argument", {{allowed, "two"}}},
      {HookId::boolLiteralMacros, macro, "out_of_range: stoi argument out of range", {{allowed, "99999999999"}}}};
  // clang-format on
  for (const auto& [id, args, thrown, options] : cases) EXPECT_EQ(Thrown(id, args, options), thrown);
}

TEST(LoopVariableName, MemberStyleNamesGiveTheirSingularOrKeepTheOldIndex) {
  // iterator and container names, upper case, refused candidates, the answer ("(none)" for none), candidates asked
  using Strings = std::vector<std::string>;
  // clang-format off
  const std::tuple<std::string, std::string, bool, std::set<std::string>, std::string, Strings> cases[] = {
      {"m_items", "", false, {}, "item", {"item"}}, {"_things_", "", false, {}, "thing", {"thing"}},
      {"m_ITEMS", "", true, {}, "ITEM", {"ITEM"}},
      // without a plural the old index name stays; "m_s" has nothing left before the s
      {"__data", "", false, {}, "i", {}}, {"m_items", "", true, {}, "i", {}}, {"m_s", "", false, {}, "i", {}},
      {"m_", "", false, {}, "i", {}},
      // only member-style names are answered; the container counts without an iterator
      {"items", "", false, {}, "(none)", {}}, {"", "values", false, {}, "(none)", {}},
      {"", "m_values", false, {}, "value", {"value"}}, {"m_keys", "m_values", false, {}, "key", {"key"}},
      // a refused candidate falls through to the next rule
      {"_boxes_", "", false, {"boxe"}, "i", {"boxe"}}, {"m_items", "", false, {"item"}, "i", {"item"}}};
  // clang-format on
  for (const auto& [iteratorName, containerName, upperCase, refused, expected, candidates] : cases) {
    SCOPED_TRACE(iteratorName + " / " + containerName);
    Strings asked;
    std::function<bool(const std::string&)> accepts = [&](const std::string& name) {
      asked.push_back(name);
      return !refused.contains(name);
    };
    const auto answer =
        CallHook(HookId::loopConvertVariableName, {{"IteratorName", iteratorName},
                                                   {"ContainerName", containerName.empty() ? "unused" : containerName},
                                                   {"Style == NS_UpperCase", upperCase},
                                                   {"check_if_ok", Erased(accepts)},
                                                   {"OldIndex->getName()", std::string("i")}});
    EXPECT_EQ(answer ? std::get<std::string>(answer->at("ret")) : "(none)", expected);
    EXPECT_TRUE(!answer || std::get<bool>(answer->at("ok")));
    EXPECT_EQ(asked, candidates);
  }
}

TEST(ArrayHooks, EachCheckReadsItsOwnOption) {
  const std::string shared = "class clang::tidy::modernize::MakeSharedCheck";
  const std::string unique = "N5clang4tidy9modernize15MakeUniqueCheckE";
  const uint32_t smart = HookId::makeSmartPointerArrays, useUsing = HookId::useUsingArrays;
  // check, its type name (make-shared and make-unique only), the check switched off, skip before and after
  // clang-format off
  const std::tuple<uint32_t, std::string, std::string, bool, bool> cases[] = {
      {smart, shared, "modernize-make-shared", true, true}, {smart, shared, "modernize-make-unique", true, false},
      {smart, unique, "modernize-make-unique", true, true}, {smart, unique, "", true, false} /* default: arrays are handled */,
      {smart, shared, "modernize-make-shared", false, false} /* nothing to decide */,
      {smart, "OtherCheck", "", true, true} /* not ours: untouched */,
      {useUsing, "", "modernize-use-using", true, true}, {useUsing, "", "", true, false},
      {useUsing, "", "modernize-use-using", false, false}};
  // clang-format on
  for (const auto& [id, typeName, off, skipBefore, skipAfter] : cases) {
    bool skip = skipBefore;
    HookArgs args{{"skip_array_ptr", Erased(&skip)}};
    if (id == smart) args["typeid_str"] = typeName;
    EXPECT_EQ(CallHook(id, std::move(args), {{off + ".ZO.AllowArrays", "0"}}), std::nullopt);
    EXPECT_EQ(skip, skipAfter) << typeName << " " << off << " " << skipBefore;
  }
}

TEST(BoolLiteralMacros, TheOptionDecidesWhichMacrosAreReplaceable) {
  // allowed macros option, spelling, in macro and ignore macros before, then after
  // clang-format off
  const std::tuple<std::optional<std::string>, std::string, bool, bool, bool, bool> cases[] = {
      // by default only TRUE and FALSE are replaceable
      {std::nullopt, "TRUE", true, true, false, false}, {std::nullopt, "True", true, true, true, false},
      {"1", "MY_TRUE", true, true, true, false}, {"7", "TRUE", true, true, false, false},
      // zero ignores every macro, two replaces every one
      {"0", "TRUE", true, false, true, true}, {"2", "MY_TRUE", true, true, false, false},
      {" 2abc", "MY_TRUE", true, true, false, false},
      // outside macros nothing changes
      {"2", "TRUE", false, true, false, true}, {"not a number", "TRUE", false, true, false, true}};
  // clang-format on
  for (const auto& [allowed, spelling, inBefore, ignoreBefore, inAfter, ignoreAfter] : cases) {
    SCOPED_TRACE(allowed.value_or("(unset)") + " " + spelling);
    CheckOptions options;
    if (allowed) options["modernize-use-bool-literals.ZO.AllowedMacros"] = *allowed;
    bool inMacro = inBefore, ignoreMacros = ignoreBefore;
    EXPECT_EQ(CallHook(HookId::boolLiteralMacros,
                       {{"InMacro_ptr", Erased(&inMacro)},
                        {"IgnoreMacros_ptr", Erased(&ignoreMacros)},
                        {"Expression_str", spelling}},
                       options),
              std::nullopt);
    EXPECT_EQ(inMacro, inAfter);
    EXPECT_EQ(ignoreMacros, ignoreAfter);
  }
}

bool AddBracesAfter(const std::string& replacement, bool addBraces = false) {
  EXPECT_EQ(CallHook(HookId::replacementBraces,
                     {{"AddBraces_ptr", Erased(&addBraces)}, {"ReplacementText_str", replacement}}),
            std::nullopt);
  return addBraces;
}

// Parenthesised parts are ignored and unbalanced text changes nothing; text
// without parentheses must agree with the expression the scan stands for,
// however long it is.
TEST(ReplacementBraces, OnlyExpressionsOutsideParenthesesGetBraces) {
  const std::pair<std::string, bool> cases[] = {{"f(x + y)", false},   {"get(a, b)->items(c * d).size()", false},
                                                {"f(x) + g(y)", true}, {"(a + b", false},
                                                {"a + b)", false},     {") + (a", false}};
  for (const auto& [text, braces] : cases) EXPECT_EQ(AddBracesAfter(text), braces) << text;
  EXPECT_TRUE(AddBracesAfter("a.b", true));  // already set: stays set
  const std::regex nameChain(R"((\s|\w|\.|->|:)*)", std::regex::ECMAScript | std::regex::optimize);
  const std::string alphabet = "ab_9 \t\v.:->+*<>,\x01\xC3";
  std::mt19937 random(12345);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1), length(0, 12);
  for (int n = 0; n < 5000; ++n) {
    std::string text;
    for (size_t i = length(random); i > 0; --i) text += alphabet[pick(random)];
    ASSERT_EQ(AddBracesAfter(text), !std::regex_match(text, nameChain)) << '"' << text << '"';
  }
  EXPECT_FALSE(AddBracesAfter(std::string(1 << 20, 'a')));
  std::string chain;
  for (int i = 0; i < 100000; ++i) chain += "a->";
  EXPECT_FALSE(AddBracesAfter(chain + "b"));
  EXPECT_TRUE(AddBracesAfter(chain + "+"));
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
