// Reading the two tools' outputs: clang-tidy's exported fixes with notes and
// replacements nested under a diagnostic, and zoci's SARIF log.
#include <gtest/gtest.h>

#include "tool_outputs.h"

namespace difftest {
namespace {

TEST(ToolOutputs, ExportedFixesGiveEachDiagnosticsOwnMessageFileAndOffset) {
  const std::string yaml =
      "---\n"
      "MainSourceFile:  '/t/a.cpp'\n"
      "Diagnostics:\n"
      "  - DiagnosticName:  readability-braces-around-statements\n"
      "    DiagnosticMessage:\n"
      "      Message:         statement should be inside braces\n"
      "      FilePath:        '/t/a.cpp'\n"
      "      FileOffset:      137\n"
      "      Replacements:\n"
      "        - FilePath:        '/t/a.cpp'\n"
      "          Offset:          12\n"
      "          Length:          0\n"
      "          ReplacementText: ' {'\n"
      "    Notes:\n"
      "      - Message:         this fix will not be applied because it overlaps with another fix\n"
      "        FilePath:        ''\n"
      "        FileOffset:      0\n"
      "    Level:           Warning\n"
      "  - DiagnosticName:  modernize-use-default-member-init\n"
      "    DiagnosticMessage:\n"
      "      Message:         \"use default member initializer for 'gr\xC3\xB6\xC3\x9F"
      "e'\"\n"
      "      FilePath:        '/t/it''s.cpp'\n"
      "      FileOffset:      44\n"
      "      Replacements:    []\n"
      "    Level:           Error\n"
      "...\n";
  const std::vector<Reported> read = ReadExportedFixes(yaml);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].check, "readability-braces-around-statements");
  EXPECT_EQ(read[0].message, "statement should be inside braces");
  EXPECT_EQ(read[0].file, "/t/a.cpp");
  EXPECT_EQ(read[0].offset, 137u);
  EXPECT_EQ(read[0].level, "Warning");
  EXPECT_EQ(read[1].message,
            "use default member initializer for 'gr\xC3\xB6\xC3\x9F"
            "e'");
  EXPECT_EQ(read[1].file, "/t/it's.cpp");
  EXPECT_EQ(read[1].offset, 44u);
  EXPECT_EQ(read[1].level, "Error");
}

TEST(ToolOutputs, SarifResultsNameTheirFileAndFailedFilesAreListed) {
  const std::string json = R"({"runs": [{
      "artifacts": [{"location": {"uri": "file:///t/gr%C3%B6%C3%9Fe%20x.cpp"}}, {"location": {"uri": "file:///t/b.cpp"}}],
      "invocations": [{"executionSuccessful": false, "toolExecutionNotifications": [
          {"level": "error", "message": {"text": "b.cpp: cannot read"}}]}],
      "results": [{"ruleId": "modernize-use-nullptr", "level": "warning", "message": {"text": "use nullptr"},
                   "locations": [{"physicalLocation": {"artifactLocation": {"index": 0},
                                  "region": {"charOffset": 31, "charLength": 1}}}]}]}]})";
  std::vector<std::string> failures;
  const std::vector<Reported> read = ReadSarif(json, failures);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].file,
            "/t/gr\xC3\xB6\xC3\x9F"
            "e x.cpp");
  EXPECT_EQ(read[0].check, "modernize-use-nullptr");
  EXPECT_EQ(read[0].message, "use nullptr");
  EXPECT_EQ(read[0].level, "warning");
  EXPECT_EQ(read[0].offset, 31u);
  EXPECT_EQ(failures, std::vector<std::string>{"b.cpp: cannot read"});
}

}  // namespace
}  // namespace difftest
