// Reading the exported fixes back, finalising a fix's replacements, and the
// hook point the engine calls.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <any>
#include <climits>
#include <string>
#include <vector>

#include "e2e_samples.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

constexpr uint32_t kStopAfterCompilerErrors = 0xADF38EC1;

TEST(EngineReadExportedFixes, GivesTheErrorLevelAndFixesInOtherFiles) {
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
}

TEST(EngineReadExportedFixes, TextThatDoesNotParseIsAbsentAndSilent) {
  for (const std::string yaml :
       {"not: [closed", "- just\n- a list\n", "MainSourceFile: x\nDiagnostics: 3\n", "Diagnostics: []\n"}) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(RealEngine().ReadExportedFixes(yaml).has_value()) << yaml;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << yaml;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << yaml;
  }
}

/// A document of `count` diagnostics in clang-tidy's block layout, each with
/// its own message and replacement; the diagnostic at `broken` (if any) has
/// an offset that is no number.
std::string BlockLayoutFixes(int count, int broken = -1) {
  std::string yaml = "---\nMainSourceFile:  '/src/main.cpp'\nDiagnostics:\n";
  for (int i = 0; i < count; ++i) {
    const std::string offset = i == broken ? "x" : std::to_string(10 * i);
    yaml +=
        "  - DiagnosticName:  modernize-use-nullptr\n    DiagnosticMessage:\n"
        "      Message:         'use nullptr: ''" +
        std::to_string(i) +
        "'''\n"
        "      FilePath:        '/src/main.cpp'\n      FileOffset:      " +
        offset +
        "\n"
        "      Replacements:\n        - FilePath:        '/src/main.cpp'\n"
        "          Offset:          " +
        offset +
        "\n          Length:          1\n"
        "          ReplacementText: \"- nullptr\\n\"\n"
        "    Level:           Warning\n    BuildDirectory:  '/src'\n";
  }
  return yaml + "...\n";
}

TEST(EngineReadExportedFixes, ReadsEveryDiagnosticOfALargeDocumentInOrder) {
  for (const int count : {1, 255, 256, 257, 1000}) {
    const std::optional<FixesFile> fixes = RealEngine().ReadExportedFixes(BlockLayoutFixes(count));
    ASSERT_TRUE(fixes.has_value()) << count;
    EXPECT_EQ(fixes->mainSourceFile, "/src/main.cpp");
    ASSERT_EQ(fixes->diagnostics.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      const FixesDiagnostic& diagnostic = fixes->diagnostics[i];
      const uint32_t offset = 10 * i;
      ASSERT_EQ(diagnostic.message, "use nullptr: '" + std::to_string(i) + "'");
      ASSERT_EQ(diagnostic.offset, offset);
      ASSERT_THAT(diagnostic.fix.at("/src/main.cpp"),
                  ElementsAre(FixReplacement{"/src/main.cpp", offset, 1, "- nullptr\n"}));
    }
  }
}

TEST(EngineReadExportedFixes, ADiagnosticThatDoesNotParseFailsTheWholeDocument) {
  for (const int broken : {0, 300, 999}) {
    EXPECT_FALSE(RealEngine().ReadExportedFixes(BlockLayoutFixes(1000, broken)).has_value()) << broken;
  }
  const std::string unendedDocument = BlockLayoutFixes(300).substr(0, BlockLayoutFixes(300).size() - 4);
  EXPECT_FALSE(RealEngine().ReadExportedFixes(unendedDocument + "Other: 1\n").has_value());
  EXPECT_TRUE(RealEngine().ReadExportedFixes(unendedDocument).has_value());
}

std::string Applied(std::string text, const std::vector<EngineReplacement>& replacements) {
  for (auto it = replacements.rbegin(); it != replacements.rend(); ++it) {
    text.replace(it->offset, it->length, it->text);
  }
  return text;
}

struct FinaliseCase {
  std::string style;  ///< the .clang-format above the source; empty: none
  std::string text;
  std::vector<EngineReplacement> replacements;
  std::optional<std::string> applied;  ///< none: refused
};

TEST(EngineFinaliseReplacements, CleansUpInsertsHeadersWithTheStyleAboveAndRefusesBadInput) {
  const std::string ctor = "struct A { int a, b; A() : a(1), b(2) {} };\n";
  const std::string includes = "#include <map>\n#include <vector>\n\nint x;\n";
  const std::string style =
      "IncludeBlocks: Preserve\nIncludeCategories:\n  - Regex: '^<vector>'\n"
      "    Priority: 1\n  - Regex: '.*'\n    Priority: 2\n";
  const std::vector<FinaliseCase> cases = {
      // the comma left behind goes (white space stays: no style formats here)
      {"", ctor, {{"", 4, 33}}, "struct A { int a, b; A() : a(1)  {} };\n"},
      {"",
       includes,
       {{"#include <string>", 0, UINT_MAX}},
       "#include <map>\n#include <string>\n#include <vector>\n\nint x;\n"},
      {style,
       "#include <vector>\n\nint x;\n",
       {{"#include <array>", 0, UINT_MAX}},
       "#include <vector>\n#include <array>\n\nint x;\n"},
      {"IndentWidth: [not a number\n", includes, {{"y", 4, 1}}, std::nullopt},
      {"", "int x = 1;\n", {{"a", 2, 4}, {"b", 4, 4}}, std::nullopt},  // conflict
      {"", "int x = 1;\n", {{"a", 5, 20}}, std::nullopt},               // outside the text
      {"", "int x = 1;\n", {}, "int x = 1;\n"},
  };
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

/// `text` between `before` and `after`, its replacements moved along.
struct Embedded {
  std::string text;
  std::vector<EngineReplacement> replacements;
};

Embedded Embed(const std::string& before, const FinaliseCase& c, const std::string& after) {
  Embedded embedded{before + c.text + after, c.replacements};
  for (EngineReplacement& replacement : embedded.replacements)
    replacement.offset += static_cast<uint32_t>(before.size());
  return embedded;
}

/// `count` declarations, each on a line of its own or all on one line.
std::string Filler(int count, bool ownLines) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += "int f" + std::to_string(i) + " = " + std::to_string(i) + (ownLines ? ";\n" : "; ");
  return text;
}

TEST(EngineFinaliseReplacements, AFixDeepInALargeTextIsCleanedUpAsInASmallOne) {
  std::string longInitialisers = "struct B {\n  int m0";
  for (int i = 1; i < 20; ++i) longInitialisers += ", m" + std::to_string(i);
  longInitialisers += ";\n  B()\n      : m0(0)";
  for (int i = 1; i < 20; ++i) longInitialisers += ",\n        m" + std::to_string(i) + "(" + std::to_string(i) + ")";
  longInitialisers += " {}\n};\n";
  const uint32_t last = static_cast<uint32_t>(longInitialisers.find("m19(19)"));
  const std::vector<FinaliseCase> fixes = {
      {"", "struct A { int a, b; A() : a(1), b(2) {} };\n", {{"", 4, 33}}, std::nullopt},
      {"", longInitialisers, {{"", 7, last}}, std::nullopt},  // the comma 20 lines below the colon goes
      {"", "namespace n {\nint x = 0;\n}\n", {{"", 10, 14}}, std::nullopt},  // the emptied namespace goes
      {"", "int* p = 0;\n", {{"nullptr", 1, 9}}, std::nullopt},
  };
  const std::pair<std::string, std::string> surroundings[] = {
      {Filler(3000, true), Filler(3000, true)},
      {Filler(2000, false) + "\n", Filler(2000, false)},  // lines longer than any window
      {Filler(2000, false), Filler(2000, false)},          // the fix inside such a line
  };
  TempDir folder;
  const auto file = folder.Write("code.cpp", "").string();
  for (size_t row = 0; row < fixes.size(); ++row) {
    const auto alone = RealEngine().FinaliseReplacements(file, fixes[row].text, fixes[row].replacements);
    ASSERT_TRUE(alone.has_value()) << row;
    const bool cleanedUp = Applied(fixes[row].text, *alone) != Applied(fixes[row].text, fixes[row].replacements);
    EXPECT_EQ(cleanedUp, row < 3) << row << ": " << Applied(fixes[row].text, *alone);
    for (size_t place = 0; place < std::size(surroundings); ++place) {
      const bool ownLines = place == 0;
      if (!ownLines && fixes[row].text.find('\n') + 1 != fixes[row].text.size()) continue;  // one-line fixes only
      const auto& [before, after] = surroundings[place];
      const Embedded embedded = Embed(before, fixes[row], after);
      const auto inside = RealEngine().FinaliseReplacements(file, embedded.text, embedded.replacements);
      ASSERT_TRUE(inside.has_value()) << row << " " << place;
      EXPECT_EQ(Applied(embedded.text, *inside), before + Applied(fixes[row].text, *alone) + after)
          << row << " " << place;
    }
  }
}

TEST(EngineFinaliseReplacements, FixesAtTheEdgesOfTextsWithFewOrNoLineBreaks) {
  const std::string noBreaks = Filler(1000, false);
  const std::string crlf = "int a = 0;\r\nint b = 0;\r\n";
  const std::vector<FinaliseCase> cases = {
      {"", "", {{"int x;", 0, 0}}, "int x;"},
      {"", "\n\n\n", {{"int x;", 0, 3}}, "\n\n\nint x;"},
      {"",
       noBreaks,
       {{"/* a */", 0, 0}, {"/* b */", 0, static_cast<uint32_t>(noBreaks.size())}},
       "/* a */" + noBreaks + "/* b */"},
      {"", noBreaks, {{"9", 1, static_cast<uint32_t>(noBreaks.size() / 2 + 1)}}, std::nullopt},  // applied as given
      {"", crlf, {{"1", 1, 8}, {"2", 1, 20}}, "int a = 1;\r\nint b = 2;\r\n"},
  };
  TempDir folder;
  const auto file = folder.Write("code.cpp", "").string();
  for (size_t row = 0; row < cases.size(); ++row) {
    const FinaliseCase& c = cases[row];
    const auto finalised = RealEngine().FinaliseReplacements(file, c.text, c.replacements);
    ASSERT_TRUE(finalised.has_value()) << row;
    EXPECT_EQ(Applied(c.text, *finalised), c.applied.value_or(Applied(c.text, c.replacements))) << row;
  }
}

TEST(EngineCheckHook, IsAskedOnceWhetherChecksStopAfterCompilerErrors) {
  TempDir folder;
  const auto source = folder.Write("broken.cpp", "int* Zero() { return 0; }\nUnknown value;\n");
  EngineRequest request = FileRequest(source, "-*,modernize-use-nullptr");
  for (const bool stop : {true, false}) {
    int calls = 0;
    std::string argumentType;
    request.hook = [&](uint32_t id, HookArgs&& args) -> std::optional<HookArgs> {
      if (id != kStopAfterCompilerErrors) return std::nullopt;
      ++calls;
      argumentType = std::get<std::shared_ptr<std::any>>(args.at("Diagnostics_cptr"))->type().name();
      args["return"] = stop;
      return std::move(args);
    };
    const EngineRunResult run = RunEngine(RealEngine(), request);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(argumentType, "PKN5clang17DiagnosticsEngineE");  // const clang::DiagnosticsEngine*
    EXPECT_EQ(CountLines(run.diagnostics, "[modernize-use-nullptr]"), stop ? 0 : 1) << run.diagnostics;
    EXPECT_EQ(CountLines(run.diagnostics, "[clang-diagnostic-error]"), 1) << run.diagnostics;
  }
}

}  // namespace
}  // namespace zotest
