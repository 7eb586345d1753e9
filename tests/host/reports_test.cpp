// The three output formats over one report whose diagnostic sits after
// non-ASCII text, so UTF-16 columns differ from byte and code point columns.
#include <gtest/gtest.h>

#include <sstream>

#include "machine_report.h"
#include "text_report.h"

namespace zoci {
namespace {

// Line 2: "€" is one unit, "😀" two; NULL starts at offset 37, column 19 of line 2.
const std::u16string kSource = u"#include <cstddef>\nchar* p = /*€😀*/ NULL;\n";

Report SampleReport() {
  Report report;
  report.engineVersion = "test";
  report.sources["a.cpp"] = HostText{kSource, FileEncoding::utf8, true, 0, {}};
  InspectedFile file;
  file.path = "a.cpp";
  Diagnostic nullptrUse{"a.cpp", "modernize-use-nullptr", "use nullptr", false, false, 37, 1, {{37, 4, "nullptr"}}, 7, {}};
  file.diagnostics.push_back(nullptrUse);
  Diagnostic error{"a.cpp", "clang-diagnostic-error", "unknown type \"x\"", true, false, 0, 1, {}, 0, {}};
  file.diagnostics.push_back(error);
  report.files.push_back(file);
  report.files.push_back(InspectedFile{"missing.cpp", true, "cannot read missing.cpp", {}, {}});
  return report;
}

TEST(TextReport, PrintsClangStyleLinesWithUtf16ColumnsAndACaretUnderTheCharacter) {
  std::ostringstream out;
  WriteTextReport(SampleReport(), TextStyle{false}, out);
  EXPECT_EQ(out.str(),
            "a.cpp:2:19: warning: use nullptr [modernize-use-nullptr]\n"
            "char* p = /*€😀*/ NULL;\n"
            "                 ^~~~\n"
            "a.cpp:1:1: error: unknown type \"x\" [clang-diagnostic-error]\n"
            "#include <cstddef>\n"
            "^\n"
            "1 warning and 1 error in 2 files (1 could not be inspected)\n");
}

TEST(TextReport, ColoursOnlyWhenAsked) {
  std::ostringstream coloured;
  WriteTextReport(SampleReport(), TextStyle{true}, coloured);
  EXPECT_NE(coloured.str().find("\033[1;35mwarning: "), std::string::npos);
}

Json Parsed(const std::string& text) {
  const Json json = Json::parse(text, nullptr, false);
  EXPECT_FALSE(json.is_discarded()) << text;
  return json;
}

TEST(JsonReport, GivesUtf16OffsetsWithLinesAndColumns) {
  Report report = SampleReport();
  report.files[0].diagnostics[0].message = "bad \xC3 byte";
  const Json json = Parsed(JsonReport(report));
  EXPECT_EQ(json["version"], 1);
  EXPECT_EQ(json["positions"], "utf-16");
  const Json& diagnostic = json["files"][0]["diagnostics"][0];
  EXPECT_EQ(diagnostic["message"], "bad \uFFFD byte");  // replaced, not fatal
  EXPECT_EQ(diagnostic["fix"][0], Json({{"offset", 37}, {"length", 4}, {"start", {{"line", 2}, {"column", 19}}},
                                        {"end", {{"line", 2}, {"column", 23}}}, {"text", "nullptr"}}));
  const Json& failed = json["files"][1];
  EXPECT_EQ(failed["inspected"], false);
  EXPECT_EQ(failed["error"], "cannot read missing.cpp");
  EXPECT_EQ(failed["encoding"], "");
}

TEST(SarifReport, HasUtf16RegionsRulesAndFixes) {
  const Json sarif = Parsed(SarifReport(SampleReport()));
  const Json& run = sarif["runs"][0];
  EXPECT_EQ(run["columnKind"], "utf16CodeUnits");
  const Json& rules = run["tool"]["driver"]["rules"];
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(rules[0]["id"], "modernize-use-nullptr");
  EXPECT_EQ(rules[0]["helpUri"], "https://clang.llvm.org/extra/clang-tidy/checks/modernize/use-nullptr.html");
  const Json& result = run["results"][0];
  EXPECT_EQ(result["level"], "warning");
  EXPECT_EQ(result["locations"][0]["physicalLocation"]["region"],
            Json({{"startLine", 2}, {"startColumn", 19}, {"endLine", 2}, {"endColumn", 20}, {"charOffset", 37}, {"charLength", 1}}));
  const Json& replacement = result["fixes"][0]["artifactChanges"][0]["replacements"][0];
  EXPECT_EQ(replacement["deletedRegion"]["endColumn"], 23);
  EXPECT_EQ(replacement["insertedContent"]["text"], "nullptr");
  EXPECT_EQ(run["results"][1]["level"], "error");
  EXPECT_FALSE(run["results"][1].contains("fixes"));
  EXPECT_EQ(run["artifacts"][0]["encoding"], "UTF-8");
  const Json& invocation = run["invocations"][0];
  EXPECT_EQ(invocation["executionSuccessful"], false);
  EXPECT_EQ(invocation["toolExecutionNotifications"].size(), 1u);
}

}  // namespace
}  // namespace zoci
