// Reading the exported fixes back and finalising a fix's replacements.
#include <climits>

#include "e2e_samples.h"

namespace zotest {
namespace {

using testing::ElementsAre;

/// A document of `count` diagnostics in clang-tidy's block layout, each with
/// its own message and replacement; the diagnostic at `broken` (if any) has
/// an offset that is no number. Without `end` the closing "..." is missing.
std::string BlockLayoutFixes(int count, int broken = -1, bool end = true) {
  std::string yaml = "---\nMainSourceFile:  '/src/main.cpp'\nDiagnostics:\n";
  for (int i = 0; i < count; ++i) {
    const std::string offset = i == broken ? "x" : std::to_string(10 * i);
    yaml +=
        "  - DiagnosticName:  modernize-use-nullptr\n    DiagnosticMessage:\n      Message:         'use nullptr: ''" +
        std::to_string(i) + "'''\n      FilePath:        '/src/main.cpp'\n      FileOffset:      " + offset +
        "\n      Replacements:\n        - FilePath:        '/src/main.cpp'\n          Offset:          " + offset +
        "\n          Length:          1\n          ReplacementText: \"- nullptr\\n\"\n"
        "    Level:           Warning\n    BuildDirectory:  '/src'\n";
  }
  return end ? yaml + "...\n" : yaml;
}

TEST(EngineReadExportedFixes, GivesTheErrorLevelAndFixesInOtherFilesAndReadsALargeDocumentInOrder) {
  const std::string yaml =
      "MainSourceFile: /src/main.cpp\nDiagnostics:\n  - DiagnosticName: clang-diagnostic-error\n    Level: Error\n"
      "    DiagnosticMessage: {Message: 'unknown type name', FilePath: /src/main.cpp, FileOffset: 7, Replacements: [\n"
      "        {FilePath: /src/other.h, Offset: 3, Length: 1, ReplacementText: x},\n"
      "        {FilePath: /src/other.h, Offset: 0, Length: 0, ReplacementText: y}]}\n";
  const std::optional<FixesFile> fixes = RealEngine().ReadExportedFixes(yaml);
  ASSERT_TRUE(fixes.has_value());
  ASSERT_EQ(fixes->diagnostics.size(), 1u);
  EXPECT_EQ(fixes->diagnostics[0].level, kDiagnosticLevelError);
  EXPECT_THAT(fixes->diagnostics[0].fix.at("/src/other.h"),
              ElementsAre(FixReplacement{"/src/other.h", 0, 0, "y"}, FixReplacement{"/src/other.h", 3, 1, "x"}));
  const std::optional<FixesFile> large = RealEngine().ReadExportedFixes(BlockLayoutFixes(300, -1, false));
  ASSERT_TRUE(large.has_value());
  EXPECT_EQ(large->mainSourceFile, "/src/main.cpp");
  ASSERT_EQ(large->diagnostics.size(), 300u);
  EXPECT_EQ(large->diagnostics[299].message, "use nullptr: '299'");
  EXPECT_THAT(large->diagnostics[299].fix.at("/src/main.cpp"),
              ElementsAre(FixReplacement{"/src/main.cpp", 2990, 1, "- nullptr\n"}));
}

// One diagnostic that does not parse fails the whole document.
TEST(EngineReadExportedFixes, TextThatDoesNotParseIsAbsentAndSilent) {
  for (const std::string& yaml :
       {std::string("not: [closed"), std::string("- just\n- a list\n"),
        std::string("MainSourceFile: x\nDiagnostics: 3\n"), std::string("Diagnostics: []\n"), BlockLayoutFixes(1000, 0),
        BlockLayoutFixes(1000, 300), BlockLayoutFixes(1000, 999), BlockLayoutFixes(300, -1, false) + "Other: 1\n"}) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(RealEngine().ReadExportedFixes(yaml).has_value()) << yaml.substr(0, 40);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  }
}

std::string Applied(std::string text, const std::vector<EngineReplacement>& replacements) {
  for (auto it = replacements.rbegin(); it != replacements.rend(); ++it) text.replace(it->offset, it->length, it->text);
  return text;
}

struct FinaliseCase {
  std::string style;  ///< the .clang-format above the source; empty: none
  std::string text;
  std::vector<EngineReplacement> replacements;
  std::optional<std::string> applied;  ///< none: refused
};

/// `count` declarations, each on a line of its own or all on one line.
std::string Filler(int count, bool ownLines) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += "int f" + std::to_string(i) + " = " + std::to_string(i) + (ownLines ? ";\n" : "; ");
  return text;
}

TEST(EngineFinaliseReplacements, CleansUpInsertsHeadersWithTheStyleAboveAndRefusesBadInput) {
  const std::string includes = "#include <map>\n#include <vector>\n\nint x;\n";
  const std::string style =
      "IncludeBlocks: Preserve\nIncludeCategories:\n  - Regex: '^<vector>'\n    Priority: 1\n  - Regex: '.*'\n"
      "    Priority: 2\n";
  const std::string noBreaks = Filler(1000, false);
  const auto size = static_cast<uint32_t>(noBreaks.size());
  // clang-format off
  const std::vector<FinaliseCase> cases = {
      // the comma left behind goes (white space stays: no style formats here)
      {"", "struct A { int a, b; A() : a(1), b(2) {} };\n", {{"", 4, 33}}, "struct A { int a, b; A() : a(1)  {} };\n"},
      {"", includes, {{"#include <string>", 0, UINT_MAX}}, "#include <map>\n#include <string>\n#include <vector>\n\nint x;\n"},
      {style, "#include <vector>\n\nint x;\n", {{"#include <array>", 0, UINT_MAX}}, "#include <vector>\n#include <array>\n\nint x;\n"},
      {"IndentWidth: [not a number\n", includes, {{"y", 4, 1}}, std::nullopt},
      {"", "int x = 1;\n", {{"a", 2, 4}, {"b", 4, 4}}, std::nullopt},  // conflict
      // insertions at one place, each after those given before it (a const member and its trailing return type)
      {"", "int f();\n", {{" const", 0, 7}, {" -> int", 0, 7}, {"auto", 3, 0}}, "auto f() const -> int;\n"},
      {"", "int x = 1;\n", {{"a", 5, 20}}, std::nullopt},               // outside the text
      {"", "int x = 1;\n", {}, "int x = 1;\n"},
      // texts with few or no line breaks
      {"", "", {{"int x;", 0, 0}}, "int x;"}, {"", "\n\n\n", {{"int x;", 0, 3}}, "\n\n\nint x;"},
      {"", noBreaks, {{"/* a */", 0, 0}, {"/* b */", 0, size}}, "/* a */" + noBreaks + "/* b */"},
      {"", noBreaks, {{"9", 1, size / 2 + 1}}, Applied(noBreaks, {{"9", 1, size / 2 + 1}})},
      {"", "int a = 0;\r\nint b = 0;\r\n", {{"1", 1, 8}, {"2", 1, 20}}, "int a = 1;\r\nint b = 2;\r\n"}};
  // clang-format on
  for (size_t row = 0; row < cases.size(); ++row) {
    const FinaliseCase& c = cases[row];
    TempDir folder;
    if (!c.style.empty()) folder.Write(".clang-format", c.style);
    const auto file = folder.Write("code.cpp", c.text);
    const auto finalised = RealEngine().FinaliseReplacements(file.string(), c.text, c.replacements);
    ASSERT_EQ(finalised.has_value(), c.applied.has_value()) << row;
    if (!finalised) continue;
    EXPECT_EQ(Applied(c.text, *finalised), *c.applied) << row;
    EXPECT_TRUE(!c.replacements.empty() || finalised->empty()) << row;
  }
}

}  // namespace
}  // namespace zotest
