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
  for (const std::string yaml : {"not: [closed", "- just\n- a list\n", "MainSourceFile: x\nDiagnostics: 3\n",
                                 "Diagnostics: []\n"}) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(RealEngine().ReadExportedFixes(yaml).has_value()) << yaml;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << yaml;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << yaml;
  }
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
  const std::string style = "IncludeBlocks: Preserve\nIncludeCategories:\n  - Regex: '^<vector>'\n"
                            "    Priority: 1\n  - Regex: '.*'\n    Priority: 2\n";
  const std::vector<FinaliseCase> cases = {
      // the comma left behind goes (white space stays: no style formats here)
      {"", ctor, {{"", 4, 33}}, "struct A { int a, b; A() : a(1)  {} };\n"},
      {"", includes, {{"#include <string>", 0, UINT_MAX}},
       "#include <map>\n#include <string>\n#include <vector>\n\nint x;\n"},
      {style, "#include <vector>\n\nint x;\n", {{"#include <array>", 0, UINT_MAX}},
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
