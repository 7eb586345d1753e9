// zoci's three output formats over a report whose diagnostic sits after
// non-ASCII text (UTF-16 columns differ from byte columns), and run problems.
#include <gtest/gtest.h>

#include "machine_report.h"
#include "run_problems.h"
#include "text_codec.h"
#include "text_report.h"

namespace zoci {
namespace {

// Line 2: "€" is one unit, "😀" two; NULL starts at offset 37, column 19 of line 2.
const std::u16string kSource = u"#include <cstddef>\nchar* p = /*€😀*/ NULL;\n";
const std::string kDropped = "1 diagnostic was dropped by the library: stoul argument out of range";

Report SampleReport() {
  Report report;
  report.engineVersion = "test";
  report.sources["a.cpp"] = HostText{kSource, FileEncoding::utf8, true, 0, {}};
  report.files = {{"a.cpp", false, {}, {}, {}, {kDropped}},
                  {"missing.cpp", true, "cannot read missing.cpp", {}, {}, {}}};
  report.files[0].diagnostics = {
      {"a.cpp", "modernize-use-nullptr", "use nullptr", false, false, 37, 1, {{37, 4, "nullptr"}}, 7, {}, {}, {}},
      {"a.cpp", "clang-diagnostic-error", "unknown type \"x\"", true, false, 0, 1, {}, 0, {}, {}, {}}};
  report.files[0].diagnostics[0].aliases = {"hicpp-use-nullptr"};
  return report;
}

TEST(TextReport, PrintsClangStyleLinesWithUtf16ColumnsACaretUnderTheCharacterAndColoursWhenAsked) {
  std::ostringstream out;
  WriteTextReport(SampleReport(), TextStyle{false}, out);
  EXPECT_EQ(out.str(),
            "a.cpp:2:19: warning: use nullptr [modernize-use-nullptr,hicpp-use-nullptr]\n"
            "char* p = /*€😀*/ NULL;\n"
            "                 ^~~~\n"
            "a.cpp:1:1: error: unknown type \"x\" [clang-diagnostic-error]\n"
            "#include <cstddef>\n"
            "^\n"
            "1 warning and 1 error in 2 files (1 could not be inspected)\n");
  std::ostringstream coloured;
  WriteTextReport(SampleReport(), TextStyle{true}, coloured);
  EXPECT_NE(coloured.str().find("\033[1;35mwarning: "), std::string::npos);
}

TEST(TextReport, ShowsALongLineAsAnExcerptAroundEachCaret) {
  // One line of 4,000 declarations; a diagnostic at its start, middle and end.
  std::u16string line;
  for (int i = 0; i < 4000; ++i) line += u"int v = 0; ";
  line += u"😀 x;";
  Report report;
  report.sources["long.cpp"] = HostText{line + u"\n", FileEncoding::utf8, false, 0, {}};
  InspectedFile file{"long.cpp", false, {}, {}, {}, {}};
  const uint32_t smiley = static_cast<uint32_t>(line.find(u"😀"));
  for (const uint32_t at : {8u, 22008u, smiley})
    file.diagnostics.push_back(Diagnostic{"long.cpp", "c", "m", false, false, at, 1, {{at, 1, "y"}}, 0, {}, {}, {}});
  report.files.push_back(file);
  std::ostringstream out;
  WriteTextReport(report, TextStyle{false}, out);
  std::istringstream lines(out.str());
  std::vector<std::string> printed;
  for (std::string text; std::getline(lines, text);) printed.push_back(text);
  ASSERT_EQ(printed.size(), 10u) << out.str();
  EXPECT_EQ(printed[0], "long.cpp:1:9: warning: m [c]");
  EXPECT_EQ(printed[1], ToUtf8(line.substr(0, 135)) + " ...");
  EXPECT_EQ(printed[2], "        ^");
  EXPECT_EQ(printed[4], "..." + ToUtf8(line.substr(22008 - 128, 256)) + "...");
  EXPECT_EQ(printed[5], std::string(3 + 128, ' ') + "^");  // under the character, past the "..."
  EXPECT_TRUE(printed[7].ends_with("😀 x;")) << printed[7];  // the end of the line, not cut
  EXPECT_EQ(printed[8], printed[5]);
}

// Each field of the two machine reports by its JSON pointer, a missing one as null.
TEST(MachineReports, GiveUtf16PositionsRulesFixesAndFailures) {
  Report withBadByte = SampleReport();
  withBadByte.files[0].diagnostics[0].message = "bad \xC3 byte";
  const Json json = Json::parse(JsonReport(withBadByte)), sarif = Json::parse(SarifReport(SampleReport()));
  const Json fix = Json::parse(R"({"offset": 37, "length": 4, "start": {"line": 2, "column": 19},
                                   "end": {"line": 2, "column": 23}, "text": "nullptr"})");
  const Json region = Json::parse(R"({"startLine": 2, "startColumn": 19, "endLine": 2, "endColumn": 20,
                                      "charOffset": 37, "charLength": 1})");
  const std::string rules = "/runs/0/tool/driver/rules/0/", result = "/runs/0/results/0/",
                    invocation = "/runs/0/invocations/0/";
  const std::tuple<const Json&, std::string, Json> fields[] = {
      {json, "/version", 1},
      {json, "/positions", "utf-16"},
      {json, "/files/0/diagnostics/0/message", "bad \uFFFD byte"},  // replaced, not fatal
      {json, "/files/0/diagnostics/0/fix/0", fix},
      {json, "/files/0/diagnostics/0/aliases", Json::array({"hicpp-use-nullptr"})},
      {json, "/files/0/warnings", Json::array({kDropped})},
      {json, "/files/1/inspected", false},
      {json, "/files/1/error", "cannot read missing.cpp"},
      {json, "/files/1/encoding", ""},
      {json, "/files/1/warnings", nullptr},
      {sarif, "/runs/0/columnKind", "utf16CodeUnits"},
      {sarif, rules + "id", "modernize-use-nullptr"},
      {sarif, rules + "helpUri", "https://clang.llvm.org/extra/clang-tidy/checks/modernize/use-nullptr.html"},
      {sarif, result + "level", "warning"},
      {sarif, result + "locations/0/physicalLocation/region", region},
      {sarif, result + "fixes/0/artifactChanges/0/replacements/0/deletedRegion/endColumn", 23},
      {sarif, result + "fixes/0/artifactChanges/0/replacements/0/insertedContent/text", "nullptr"},
      {sarif, "/runs/0/results/1/level", "error"},
      {sarif, "/runs/0/results/1/fixes", nullptr},
      {sarif, "/runs/0/artifacts/0/encoding", "UTF-8"},
      {sarif, invocation + "executionSuccessful", false},
      {sarif, invocation + "toolExecutionNotifications/0/level", "warning"},
      {sarif, invocation + "toolExecutionNotifications/0/message/text", kDropped},
      {sarif, invocation + "toolExecutionNotifications/1/level", "error"},
      {sarif, invocation + "toolExecutionNotifications/2", nullptr},
  };
  for (const auto& [report, pointer, value] : fields)
    EXPECT_EQ(report.value(Json::json_pointer(pointer), Json()), value) << pointer;
}

TEST(RunProblems, TheEnginesOwnSummaryIsNoProblemAndFailuresKeepTheirWholeMessage) {
  EXPECT_TRUE(RunProblems("2 warnings generated.\nSuppressed 1 warnings (1 NOLINT).\n").empty());
  EXPECT_EQ(FailureMessage("Error: invalid configuration specified.\nInvalid argument\n\n", "log"),
            "Error: invalid configuration specified.\nInvalid argument");
  EXPECT_EQ(FailureMessage("", "*** Parse #3 failed ***\n"), "*** Parse #3 failed ***");
  EXPECT_EQ(FailureMessage("", ""), "the inspection failed without a message");
}

}  // namespace
}  // namespace zoci
