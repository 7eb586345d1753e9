// The behaviours that need no clang object, through the hook as the engine
// calls it.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <regex>
#include <set>
#include <stdexcept>
#include <typeinfo>

#include "hook_test_support.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Testing::CallHook;
using Testing::Erased;

struct LoopNameCase {
  std::string iteratorName;
  std::string containerName;
  bool upperCase;
  std::set<std::string> refused;
  std::string expected;  ///< "(none)" when the hook answers nothing
  std::vector<std::string> asked;
};

TEST(LoopVariableName, MemberStyleNamesGiveTheirSingularOrKeepTheOldIndex) {
  const std::vector<LoopNameCase> cases = {
      {"m_items", "", false, {}, "item", {"item"}},
      {"_things_", "", false, {}, "thing", {"thing"}},
      {"m_ITEMS", "", true, {}, "ITEM", {"ITEM"}},
      // without a plural the old index name stays
      {"__data", "", false, {}, "i", {}},
      {"m_items", "", true, {}, "i", {}},
      {"m_s", "", false, {}, "i", {}},  // nothing left before the s
      {"m_", "", false, {}, "i", {}},
      // only member-style names are answered; the container counts without an iterator
      {"items", "", false, {}, "(none)", {}},
      {"", "values", false, {}, "(none)", {}},
      {"", "m_values", false, {}, "value", {"value"}},
      {"m_keys", "m_values", false, {}, "key", {"key"}},
      // a refused candidate falls through to the next rule
      {"_boxes_", "", false, {"boxe"}, "i", {"boxe"}},
      {"m_items", "", false, {"item"}, "i", {"item"}},
  };
  for (const LoopNameCase& c : cases) {
    SCOPED_TRACE(c.iteratorName + " / " + c.containerName);
    std::vector<std::string> asked;
    std::function<bool(const std::string&)> accepts = [&](const std::string& name) {
      asked.push_back(name);
      return !c.refused.contains(name);
    };
    const auto answer = CallHook(HookId::loopConvertVariableName,
                                 {{"IteratorName", c.iteratorName},
                                  {"ContainerName", c.containerName.empty() ? "unused" : c.containerName},
                                  {"Style == NS_UpperCase", c.upperCase},
                                  {"check_if_ok", Erased(accepts)},
                                  {"OldIndex->getName()", std::string("i")}});
    EXPECT_EQ(answer ? std::get<std::string>(answer->at("ret")) : "(none)", c.expected);
    EXPECT_TRUE(!answer || std::get<bool>(answer->at("ok")));
    EXPECT_EQ(asked, c.asked);
  }
}

struct ArrayCase {
  uint32_t id;
  std::string typeName;  ///< only for make-shared / make-unique
  CheckOptions options;
  bool skipBefore;
  bool skipAfter;
};

TEST(ArrayHooks, EachCheckReadsItsOwnOption) {
  const std::string shared = "class clang::tidy::modernize::MakeSharedCheck";
  const std::string unique = "N5clang4tidy9modernize15MakeUniqueCheckE";
  const CheckOptions sharedOff{{"modernize-make-shared.ZO.AllowArrays", "0"}};
  const CheckOptions uniqueOff{{"modernize-make-unique.ZO.AllowArrays", "0"}};
  const CheckOptions usingOff{{"modernize-use-using.ZO.AllowArrays", "0"}};
  const uint32_t smart = HookId::makeSmartPointerArrays;
  const uint32_t useUsing = HookId::useUsingArrays;
  const std::vector<ArrayCase> cases = {
      {smart, shared, sharedOff, true, true},   {smart, shared, uniqueOff, true, false},
      {smart, unique, uniqueOff, true, true},   {smart, unique, {}, true, false},  // default: arrays are handled
      {smart, shared, sharedOff, false, false},  // nothing to decide
      {smart, "OtherCheck", {}, true, true},     // not ours: untouched
      {useUsing, "", usingOff, true, true},     {useUsing, "", {}, true, false},
      {useUsing, "", usingOff, false, false},
  };
  for (size_t row = 0; row < cases.size(); ++row) {
    const ArrayCase& c = cases[row];
    bool skip = c.skipBefore;
    HookArgs args{{"skip_array_ptr", Erased(&skip)}};
    if (c.id == smart) args["typeid_str"] = c.typeName;
    EXPECT_EQ(CallHook(c.id, std::move(args), c.options), std::nullopt) << row;
    EXPECT_EQ(skip, c.skipAfter) << row;
  }
}

struct MacroCase {
  std::optional<std::string> allowedMacros;
  std::string spelling;
  bool inMacro, ignoreMacros;            ///< before
  bool inMacroAfter, ignoreMacrosAfter;  ///< after
};

TEST(BoolLiteralMacros, TheOptionDecidesWhichMacrosAreReplaceable) {
  const std::optional<std::string> unset;
  const std::vector<MacroCase> cases = {
      // by default only TRUE and FALSE are replaceable
      {unset, "TRUE", true, true, false, false},
      {unset, "True", true, true, true, false},
      {"1", "MY_TRUE", true, true, true, false},
      {"7", "TRUE", true, true, false, false},
      // zero ignores every macro, two replaces every one
      {"0", "TRUE", true, false, true, true},
      {"2", "MY_TRUE", true, true, false, false},
      {" 2abc", "MY_TRUE", true, true, false, false},
      // outside macros nothing changes
      {"2", "TRUE", false, true, false, true},
      {"not a number", "TRUE", false, true, false, true},
  };
  for (const MacroCase& c : cases) {
    SCOPED_TRACE(c.allowedMacros.value_or("(unset)") + " " + c.spelling);
    CheckOptions options;
    if (c.allowedMacros) options["modernize-use-bool-literals.ZO.AllowedMacros"] = *c.allowedMacros;
    bool inMacro = c.inMacro;
    bool ignoreMacros = c.ignoreMacros;
    EXPECT_EQ(CallHook(HookId::boolLiteralMacros,
                       {{"InMacro_ptr", Erased(&inMacro)},
                        {"IgnoreMacros_ptr", Erased(&ignoreMacros)},
                        {"Expression_str", c.spelling}},
                       options),
              std::nullopt);
    EXPECT_EQ(inMacro, c.inMacroAfter);
    EXPECT_EQ(ignoreMacros, c.ignoreMacrosAfter);
  }
}

// The errors are those of the host's runtime, type and message.
TEST(BoolLiteralMacros, OptionThatIsNoNumberFails) {
  bool flag = true;
  auto thrown = [&](const std::string& allowed) -> std::string {
    try {
      CallHook(HookId::boolLiteralMacros,
               {{"InMacro_ptr", Erased(&flag)}, {"IgnoreMacros_ptr", Erased(&flag)}, {"Expression_str", "TRUE"}},
               {{"modernize-use-bool-literals.ZO.AllowedMacros", allowed}});
    } catch (const std::logic_error& error) {
      return typeid(error).name() + std::string(": ") + error.what();
    }
    return "no error";
  };
  EXPECT_EQ(thrown("two"), typeid(std::invalid_argument).name() + std::string(": invalid stoi argument"));
  EXPECT_EQ(thrown("99999999999"), typeid(std::out_of_range).name() + std::string(": stoi argument out of range"));
}

bool AddBracesAfter(const std::string& replacement, bool addBraces = false) {
  EXPECT_EQ(CallHook(HookId::replacementBraces,
                     {{"AddBraces_ptr", Erased(&addBraces)}, {"ReplacementText_str", replacement}}),
            std::nullopt);
  return addBraces;
}

TEST(ReplacementBraces, OnlyExpressionsOutsideParenthesesGetBraces) {
  // Text without parentheses is compared with the regular expression below.
  const std::vector<std::pair<std::string, bool>> cases = {
      // parenthesised parts are ignored
      {"f(x + y)", false},
      {"get(a, b)->items(c * d).size()", false},
      {"f(x) + g(y)", true},
      // unbalanced text changes nothing
      {"(a + b", false},
      {"a + b)", false},
      {") + (a", false},
  };
  for (const auto& [text, braces] : cases) EXPECT_EQ(AddBracesAfter(text), braces) << text;
  EXPECT_TRUE(AddBracesAfter("a.b", true));  // already set: stays set
}

TEST(ReplacementBraces, LongReplacementsAreSafe) {
  EXPECT_FALSE(AddBracesAfter(std::string(1 << 20, 'a')));
  std::string chain;
  for (int i = 0; i < 100000; ++i) chain += "a->";
  EXPECT_FALSE(AddBracesAfter(chain + "b"));
  EXPECT_TRUE(AddBracesAfter(chain + "+"));
}

// The scan must agree with the expression it stands for.
TEST(ReplacementBraces, AgreesWithTheRegularExpression) {
  const std::regex nameChain(R"((\s|\w|\.|->|:)*)", std::regex::ECMAScript | std::regex::optimize);
  const std::string alphabet = "ab_9 \t\v.:->+*<>,\x01\xC3";
  std::mt19937 random(12345);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<size_t> length(0, 12);
  for (int n = 0; n < 5000; ++n) {
    std::string text;
    for (size_t i = length(random); i > 0; --i) text += alphabet[pick(random)];
    ASSERT_EQ(AddBracesAfter(text), !std::regex_match(text, nameChain)) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
