// Reading the exported fixes back, finalising a fix's replacements, and the
// hook point the engine calls.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
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

TEST(EngineReadExportedFixes, ReadsWhatARunExported) {
  EngineRequest request = SampleRequest("inventory.cpp", "-*,modernize-use-nullptr,modernize-use-override");
  const EngineRunResult run = RunEngine(RealEngine(), request);
  const std::optional<FixesFile> fixes = RealEngine().ReadExportedFixes(run.fixesYaml);

  ASSERT_TRUE(fixes.has_value());
  EXPECT_EQ(fixes->mainSourceFile, SamplePath("inventory.cpp"));
  auto isNullptr = [](const FixesDiagnostic& d) { return d.checkName == "modernize-use-nullptr"; };
  auto found = std::find_if(fixes->diagnostics.begin(), fixes->diagnostics.end(), isNullptr);
  ASSERT_NE(found, fixes->diagnostics.end()) << run.fixesYaml;
  EXPECT_EQ(fixes->diagnostics.size(), static_cast<size_t>(CountLines(run.diagnostics, "warning:")));
  const FixesDiagnostic& nullptrFix = *found;
  EXPECT_EQ(nullptrFix.checkName, "modernize-use-nullptr");
  EXPECT_EQ(nullptrFix.message, "use nullptr");
  EXPECT_EQ(nullptrFix.filePath, SamplePath("inventory.cpp"));
  EXPECT_EQ(nullptrFix.level, 3);
  ASSERT_EQ(nullptrFix.fix.size(), 1u);
  const auto& replacements = nullptrFix.fix.at(SamplePath("inventory.cpp"));
  ASSERT_EQ(replacements.size(), 1u);
  EXPECT_EQ(replacements.begin()->text, "nullptr");
  EXPECT_EQ(replacements.begin()->offset, nullptrFix.offset);
  EXPECT_EQ(replacements.begin()->length, 4u);
}

TEST(EngineReadExportedFixes, GivesTheErrorLevelAndFixesInOtherFiles) {
  const std::string yaml = R"(---
MainSourceFile:  '/src/main.cpp'
Diagnostics:
  - DiagnosticName:  clang-diagnostic-error
    DiagnosticMessage:
      Message:         'unknown type name ''Foo'''
      FilePath:        '/src/main.cpp'
      FileOffset:      7
      Replacements:
        - FilePath:        '/src/other.h'
          Offset:          3
          Length:          1
          ReplacementText: 'x'
        - FilePath:        '/src/other.h'
          Offset:          0
          Length:          0
          ReplacementText: 'y'
    Level:           Error
...
)";
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

std::optional<std::vector<EngineReplacement>> Finalise(const TempDir& folder, const std::string& text,
                                                       const std::vector<EngineReplacement>& replacements) {
  const auto file = folder.Write("code.cpp", text);
  return RealEngine().FinaliseReplacements(file.string(), text, replacements);
}

std::string Applied(std::string text, const std::vector<EngineReplacement>& replacements) {
  for (auto it = replacements.rbegin(); it != replacements.rend(); ++it) {
    text.replace(it->offset, it->length, it->text);
  }
  return text;
}

TEST(EngineFinaliseReplacements, CleansUpAroundTheFixInTheGivenTextsCoordinates) {
  TempDir folder;
  const std::string ctor = "struct A { int a, b; A() : a(1), b(2) {} };\n";
  // Removing the initialiser of b leaves a comma that the cleanup removes
  // (white space stays as it is: no style formats here).
  const auto cleaned = Finalise(folder, ctor, {EngineReplacement{"", 4, 33}});
  ASSERT_TRUE(cleaned.has_value());
  EXPECT_EQ(Applied(ctor, *cleaned), "struct A { int a, b; A() : a(1)  {} };\n");

  const std::string space = "namespace outer { namespace inner { int x; } }\n";
  const auto emptied = Finalise(folder, space, {EngineReplacement{"", 6, 36}});
  ASSERT_TRUE(emptied.has_value());
  EXPECT_EQ(Applied(space, *emptied), "    \n");  // both namespaces emptied, so removed
}

TEST(EngineFinaliseReplacements, PutsAHeaderInsertionIntoPlace) {
  TempDir folder;
  const std::string text = "#include <map>\n#include <vector>\n\nint x;\n";
  const auto finalised = Finalise(folder, text, {EngineReplacement{"#include <string>", 0, UINT_MAX}});
  ASSERT_TRUE(finalised.has_value());
  EXPECT_EQ(Applied(text, *finalised), "#include <map>\n#include <string>\n#include <vector>\n\nint x;\n");
}

TEST(EngineFinaliseReplacements, UsesTheStyleFileAboveTheSource) {
  TempDir folder;
  folder.Write(".clang-format", "IncludeBlocks: Preserve\nIncludeCategories:\n  - Regex: '^<vector>'\n"
                                "    Priority: 1\n  - Regex: '.*'\n    Priority: 2\n");
  const std::string text = "#include <vector>\n\nint x;\n";
  const auto finalised = Finalise(folder, text, {EngineReplacement{"#include <array>", 0, UINT_MAX}});
  ASSERT_TRUE(finalised.has_value());
  EXPECT_EQ(Applied(text, *finalised), "#include <vector>\n#include <array>\n\nint x;\n");

  folder.Write(".clang-format", "IndentWidth: [not a number\n");
  EXPECT_FALSE(Finalise(folder, text, {EngineReplacement{"y", 4, 1}}).has_value());
}

TEST(EngineFinaliseReplacements, RefusesConflictsAndRangesOutsideTheText) {
  TempDir folder;
  const std::string text = "int x = 1;\n";
  EXPECT_FALSE(Finalise(folder, text, {EngineReplacement{"a", 2, 4}, EngineReplacement{"b", 4, 4}}).has_value());
  EXPECT_FALSE(Finalise(folder, text, {EngineReplacement{"a", 5, 20}}).has_value());
  const auto unchanged = Finalise(folder, text, {});
  ASSERT_TRUE(unchanged.has_value());
  EXPECT_TRUE(unchanged->empty());
}

TEST(EngineCheckHook, IsAskedOnceWhetherChecksStopAfterCompilerErrors) {
  TempDir folder;
  const auto source = folder.Write("broken.cpp", "int* Zero() { return 0; }\nUnknown value;\n");
  EngineRequest request = FileRequest(source, "-*,modernize-use-nullptr");
  int calls = 0;
  std::string argumentType;
  request.hook = [&](uint32_t id, HookArgs&& args) -> std::optional<HookArgs> {
    if (id != kStopAfterCompilerErrors) return std::nullopt;
    ++calls;
    argumentType = std::get<std::shared_ptr<std::any>>(args.at("Diagnostics_cptr"))->type().name();
    args["return"] = true;
    return std::move(args);
  };
  const EngineRunResult stopped = RunEngine(RealEngine(), request);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(argumentType, "PKN5clang17DiagnosticsEngineE");  // const clang::DiagnosticsEngine*
  EXPECT_EQ(CountLines(stopped.diagnostics, "[modernize-use-nullptr]"), 0) << stopped.diagnostics;
  EXPECT_EQ(CountLines(stopped.diagnostics, "[clang-diagnostic-error]"), 1) << stopped.diagnostics;

  request.hook = [](uint32_t, HookArgs&&) -> std::optional<HookArgs> { return std::nullopt; };
  const EngineRunResult checked = RunEngine(RealEngine(), request);
  EXPECT_EQ(CountLines(checked.diagnostics, "[modernize-use-nullptr]"), 1) << checked.diagnostics;
}

}  // namespace
}  // namespace zotest
