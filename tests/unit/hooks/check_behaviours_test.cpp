// The behaviours that need no clang object, through the hook as the engine
// calls it.
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
using NameAcceptor = std::function<bool(const std::string&)>;

// ---- loop variable names -----------------------------------------------------

/// Names a loop variable over a container; the check refuses `refused`.
class LoopNaming {
 public:
  explicit LoopNaming(std::string iteratorName, std::string containerName = "unused",
                      bool upperCase = false, std::set<std::string> refused = {})
      : iteratorName_(std::move(iteratorName)), containerName_(std::move(containerName)),
        upperCase_(upperCase), refused_(std::move(refused)) {}

  /// The name answered, or "(none)" when the hook answered nothing.
  std::string Name() {
    NameAcceptor accepts = [this](const std::string& name) {
      asked_.push_back(name);
      return !refused_.contains(name);
    };
    const auto answer = CallHook(HookId::loopConvertVariableName,
                                 {{"IteratorName", iteratorName_},
                                  {"ContainerName", containerName_},
                                  {"Style == NS_UpperCase", upperCase_},
                                  {"check_if_ok", Erased(accepts)},
                                  {"OldIndex->getName()", std::string("i")}});
    if (!answer) return "(none)";
    EXPECT_TRUE(std::get<bool>(answer->at("ok")));
    EXPECT_EQ(answer->size(), 7u);  // five arguments, "ret" and "ok"
    return std::get<std::string>(answer->at("ret"));
  }

  /// The candidates the check was asked about, in order.
  const std::vector<std::string>& Asked() const { return asked_; }

 private:
  std::string iteratorName_;
  std::string containerName_;
  bool upperCase_;
  std::set<std::string> refused_;
  std::vector<std::string> asked_;
};

std::string LowerCaseName(const std::string& iteratorName) { return LoopNaming(iteratorName).Name(); }

std::string UpperCaseName(const std::string& iteratorName) {
  return LoopNaming(iteratorName, "unused", true).Name();
}

TEST(LoopVariableName, MemberStyleContainersGiveTheirSingular) {
  EXPECT_EQ(LowerCaseName("m_items"), "item");
  EXPECT_EQ(LowerCaseName("_things_"), "thing");
  EXPECT_EQ(LowerCaseName("__nodes"), "node");
  EXPECT_EQ(UpperCaseName("m_ITEMS"), "ITEM");
  EXPECT_EQ(UpperCaseName("_THINGS_"), "THING");
}

TEST(LoopVariableName, WithoutAPluralTheOldIndexNameStays) {
  EXPECT_EQ(LowerCaseName("__data"), "i");
  EXPECT_EQ(UpperCaseName("m_items"), "i");
  EXPECT_EQ(LowerCaseName("m_s"), "i");  // nothing left before the s
  EXPECT_EQ(LowerCaseName("_s_"), "i");  // nor before the s_
  EXPECT_EQ(LowerCaseName("m_"), "i");
}

TEST(LoopVariableName, OnlyMemberStyleNamesAreAnswered) {
  EXPECT_EQ(LowerCaseName("items"), "(none)");
  EXPECT_EQ(LoopNaming("", "values").Name(), "(none)");
  EXPECT_EQ(LoopNaming("", "m_values").Name(), "value");
  EXPECT_EQ(LoopNaming("m_keys", "m_values").Name(), "key");
}

TEST(LoopVariableName, RefusedCandidateFallsThroughToTheNextRule) {
  LoopNaming pluralWithUnderscore("_boxes_", "unused", false, {"boxe"});
  EXPECT_EQ(pluralWithUnderscore.Name(), "i");
  EXPECT_EQ(pluralWithUnderscore.Asked(), (std::vector<std::string>{"boxe"}));

  LoopNaming plural("m_items", "unused", false, {"item"});
  EXPECT_EQ(plural.Name(), "i");
  EXPECT_EQ(plural.Asked(), (std::vector<std::string>{"item"}));

  LoopNaming upper("m_ITEMS", "unused", true, {"ITEM"});
  EXPECT_EQ(upper.Name(), "i");
  EXPECT_EQ(upper.Asked(), (std::vector<std::string>{"ITEM"}));
}

// ---- arrays in make-shared, make-unique and use-using ------------------------

struct ArrayCase {
  uint32_t id;
  std::string typeName;  ///< only for make-shared / make-unique
  CheckOptions options;
  bool skipBefore;
};

bool SkipAfter(const ArrayCase& c) {
  bool skip = c.skipBefore;
  HookArgs args{{"skip_array_ptr", Erased(&skip)}};
  if (c.id == HookId::makeSmartPointerArrays) args["typeid_str"] = c.typeName;
  EXPECT_EQ(CallHook(c.id, std::move(args), c.options), std::nullopt);
  return skip;
}

TEST(ArrayHooks, SmartPointerChecksReadTheirOwnOption) {
  const std::string shared = "class clang::tidy::modernize::MakeSharedCheck";
  const std::string unique = "N5clang4tidy9modernize15MakeUniqueCheckE";
  const CheckOptions sharedOff{{"modernize-make-shared.ZO.AllowArrays", "0"}};
  const CheckOptions uniqueOff{{"modernize-make-unique.ZO.AllowArrays", "0"}};
  const uint32_t id = HookId::makeSmartPointerArrays;
  EXPECT_TRUE(SkipAfter({id, shared, sharedOff, true}));
  EXPECT_FALSE(SkipAfter({id, shared, uniqueOff, true}));
  EXPECT_TRUE(SkipAfter({id, unique, uniqueOff, true}));
  EXPECT_FALSE(SkipAfter({id, unique, {}, true}));  // default: arrays are handled
  EXPECT_FALSE(SkipAfter({id, unique, {{"modernize-make-unique.ZO.AllowArrays", "1"}}, true}));
  EXPECT_FALSE(SkipAfter({id, shared, sharedOff, false}));  // nothing to decide
  EXPECT_TRUE(SkipAfter({id, "OtherCheck", {}, true}));      // not ours: untouched
}

TEST(ArrayHooks, UseUsingReadsItsOption) {
  const uint32_t id = HookId::useUsingArrays;
  const CheckOptions off{{"modernize-use-using.ZO.AllowArrays", "0"}};
  EXPECT_TRUE(SkipAfter({id, "", off, true}));
  EXPECT_FALSE(SkipAfter({id, "", {}, true}));
  EXPECT_FALSE(SkipAfter({id, "", off, false}));
}

// ---- macros in use-bool-literals ---------------------------------------------

struct MacroFlags {
  bool inMacro;
  bool ignoreMacros;
  bool operator==(const MacroFlags&) const = default;
};

MacroFlags AfterBoolLiteralHook(const std::optional<std::string>& allowedMacros,
                                const std::string& spelling, MacroFlags flags = {true, true}) {
  CheckOptions options;
  if (allowedMacros) options["modernize-use-bool-literals.ZO.AllowedMacros"] = *allowedMacros;
  EXPECT_EQ(CallHook(HookId::boolLiteralMacros,
                     {{"InMacro_ptr", Erased(&flags.inMacro)},
                      {"IgnoreMacros_ptr", Erased(&flags.ignoreMacros)},
                      {"Expression_str", spelling}},
                     options),
            std::nullopt);
  return flags;
}

TEST(BoolLiteralMacros, ByDefaultOnlyTrueAndFalseAreReplaceable) {
  EXPECT_EQ(AfterBoolLiteralHook(std::nullopt, "TRUE"), (MacroFlags{false, false}));
  EXPECT_EQ(AfterBoolLiteralHook(std::nullopt, "FALSE"), (MacroFlags{false, false}));
  EXPECT_EQ(AfterBoolLiteralHook(std::nullopt, "True"), (MacroFlags{true, false}));
  EXPECT_EQ(AfterBoolLiteralHook("1", "MY_TRUE"), (MacroFlags{true, false}));
  EXPECT_EQ(AfterBoolLiteralHook("7", "TRUE"), (MacroFlags{false, false}));
}

TEST(BoolLiteralMacros, ZeroIgnoresEveryMacroAndTwoReplacesEvery) {
  EXPECT_EQ(AfterBoolLiteralHook("0", "TRUE", {true, false}), (MacroFlags{true, true}));
  EXPECT_EQ(AfterBoolLiteralHook("2", "MY_TRUE"), (MacroFlags{false, false}));
  EXPECT_EQ(AfterBoolLiteralHook(" 2abc", "MY_TRUE"), (MacroFlags{false, false}));
}

TEST(BoolLiteralMacros, OutsideMacrosNothingChanges) {
  EXPECT_EQ(AfterBoolLiteralHook("2", "TRUE", {false, true}), (MacroFlags{false, true}));
  EXPECT_EQ(AfterBoolLiteralHook("not a number", "TRUE", {false, true}), (MacroFlags{false, true}));
}

TEST(BoolLiteralMacros, OptionThatIsNoNumberFails) {
  try {
    AfterBoolLiteralHook("two", "TRUE");
    FAIL() << "no error";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "invalid stoi argument");
  }
  try {
    AfterBoolLiteralHook("99999999999", "TRUE");
    FAIL() << "no error";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(), "stoi argument out of range");
  }
}

// ---- braces around replacements ----------------------------------------------

bool AddBracesAfter(const std::string& replacement, bool addBraces = false) {
  EXPECT_EQ(CallHook(HookId::replacementBraces,
                     {{"AddBraces_ptr", Erased(&addBraces)}, {"ReplacementText_str", replacement}}),
            std::nullopt);
  return addBraces;
}

TEST(ReplacementBraces, NameChainsNeedNone) {
  EXPECT_FALSE(AddBracesAfter("a.b->c"));
  EXPECT_FALSE(AddBracesAfter("ns::value"));
  EXPECT_FALSE(AddBracesAfter(" \t p->q \n"));
  EXPECT_FALSE(AddBracesAfter(""));
}

TEST(ReplacementBraces, ParenthesisedPartsAreIgnored) {
  EXPECT_FALSE(AddBracesAfter("f(x + y)"));
  EXPECT_FALSE(AddBracesAfter("get(a, b)->items(c * d).size()"));
  EXPECT_TRUE(AddBracesAfter("f(x) + g(y)"));
}

TEST(ReplacementBraces, ExpressionsGetBraces) {
  EXPECT_TRUE(AddBracesAfter("a + b"));
  EXPECT_TRUE(AddBracesAfter("a-b"));
  EXPECT_TRUE(AddBracesAfter("a->-b"));
  EXPECT_TRUE(AddBracesAfter("std::vector<int>::size"));
  EXPECT_TRUE(AddBracesAfter("*p"));
  EXPECT_TRUE(AddBracesAfter("x>y"));
}

TEST(ReplacementBraces, UnbalancedTextChangesNothing) {
  EXPECT_FALSE(AddBracesAfter("(a + b"));
  EXPECT_FALSE(AddBracesAfter("a + b)"));
  EXPECT_FALSE(AddBracesAfter(") + (a"));
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
