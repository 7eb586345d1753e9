// The three output formats over one report whose diagnostic sits after
// non-ASCII text, so UTF-16 columns differ from byte and code point columns.
#include <gtest/gtest.h>

#include <sstream>

#include "json.h"
#include "machine_report.h"
#include "text_report.h"

namespace zoci {
namespace {

// Line 2: "€" is one unit, "😀" two; NULL starts at offset 37, column 19 of line 2.
const std::u16string kSource = u"#include <cstddef>\nchar* p = /*€😀*/ NULL;\n";

Report SampleReport() {
  Report report;
  report.engineVersion = "test";
  report.sources["a.cpp"] = HostText{kSource, FileEncoding::utf8, true, 0};
  InspectedFile file;
  file.path = "a.cpp";
  Diagnostic nullptrUse{"a.cpp", "modernize-use-nullptr", "use nullptr", false, false, 37, 1, {{37, 4, "nullptr"}}, 7};
  file.diagnostics.push_back(nullptrUse);
  Diagnostic error{"a.cpp", "clang-diagnostic-error", "unknown type \"x\"", true, false, 0, 1, {}, 0};
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
  std::ostringstream plain, coloured;
  WriteTextReport(SampleReport(), TextStyle{false}, plain);
  WriteTextReport(SampleReport(), TextStyle{true}, coloured);
  EXPECT_EQ(plain.str().find('\033'), std::string::npos);
  EXPECT_NE(coloured.str().find("\033[1;35mwarning: "), std::string::npos);
}

JsonValue Parsed(const std::string& text) {
  std::string error;
  auto json = ParseJson(text, error);
  EXPECT_TRUE(json) << error << "\n" << text;
  return json.value_or(JsonValue{});
}

TEST(JsonReport, GivesUtf16OffsetsWithLinesAndColumns) {
  const JsonValue json = Parsed(JsonReport(SampleReport()));
  EXPECT_EQ(json.Find("version")->number, 1);
  EXPECT_EQ(json.Find("positions")->string, "utf-16");
  const JsonValue& file = json.Find("files")->array.at(0);
  EXPECT_EQ(file.Find("encoding")->string, "UTF-8 BOM");
  const JsonValue& diagnostic = file.Find("diagnostics")->array.at(0);
  EXPECT_EQ(diagnostic.Find("check")->string, "modernize-use-nullptr");
  const JsonValue& edit = diagnostic.Find("fix")->array.at(0);
  EXPECT_EQ(edit.Find("offset")->number, 37);
  EXPECT_EQ(edit.Find("length")->number, 4);
  EXPECT_EQ(edit.Find("start")->Find("column")->number, 19);
  EXPECT_EQ(edit.Find("end")->Find("column")->number, 23);
  EXPECT_EQ(edit.Find("text")->string, "nullptr");
  const JsonValue& failed = json.Find("files")->array.at(1);
  EXPECT_FALSE(failed.Find("inspected")->boolean);
  EXPECT_EQ(failed.Find("error")->string, "cannot read missing.cpp");
}

TEST(SarifReport, HasUtf16RegionsRulesAndFixes) {
  const JsonValue sarif = Parsed(SarifReport(SampleReport()));
  EXPECT_EQ(sarif.Find("version")->string, "2.1.0");
  const JsonValue& run = sarif.Find("runs")->array.at(0);
  EXPECT_EQ(run.Find("columnKind")->string, "utf16CodeUnits");
  const std::vector<JsonValue>& rules = run.Find("tool")->Find("driver")->Find("rules")->array;
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(rules[0].Find("id")->string, "modernize-use-nullptr");
  EXPECT_TRUE(rules[0].Find("shortDescription") && rules[0].Find("fullDescription"));
  const JsonValue& result = run.Find("results")->array.at(0);
  EXPECT_EQ(result.Find("level")->string, "warning");
  const JsonValue& region = *result.Find("locations")->array.at(0).Find("physicalLocation")->Find("region");
  EXPECT_EQ(region.Find("startLine")->number, 2);
  EXPECT_EQ(region.Find("startColumn")->number, 19);
  EXPECT_EQ(region.Find("charOffset")->number, 37);
  const JsonValue& change = result.Find("fixes")->array.at(0).Find("artifactChanges")->array.at(0);
  const JsonValue& replacement = change.Find("replacements")->array.at(0);
  EXPECT_EQ(replacement.Find("deletedRegion")->Find("charLength")->number, 4);
  EXPECT_EQ(replacement.Find("deletedRegion")->Find("endColumn")->number, 23);
  EXPECT_EQ(replacement.Find("insertedContent")->Find("text")->string, "nullptr");
  EXPECT_EQ(run.Find("results")->array.at(1).Find("level")->string, "error");
  const JsonValue& invocation = run.Find("invocations")->array.at(0);
  EXPECT_FALSE(invocation.Find("executionSuccessful")->boolean);
  EXPECT_EQ(invocation.Find("toolExecutionNotifications")->array.size(), 1u);
}

TEST(Json, WriterEscapesAndReaderRoundTrips) {
  JsonWriter writer;
  writer.BeginObject();
  writer.String("text", "a\"b\\c\n\x01 ü");
  writer.BeginArray("empty");
  writer.EndArray();
  writer.EndObject();
  const JsonValue json = Parsed(writer.Text());
  EXPECT_EQ(json.Find("text")->string, "a\"b\\c\n\x01 ü");
  EXPECT_TRUE(json.Find("empty")->array.empty());
  std::string error;
  EXPECT_EQ(ParseJson(R"({"s": "\ud83d\ude00"})", error)->Find("s")->string, "😀");
  EXPECT_FALSE(ParseJson(R"({"a": [1, }")", error));
  EXPECT_FALSE(ParseJson("[1] x", error));
}

}  // namespace
}  // namespace zoci
