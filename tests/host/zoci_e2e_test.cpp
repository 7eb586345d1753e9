// zoci end to end with the real engine: what a user sees on the terminal, the
// exit codes a CI job relies on, and the machine outputs.
#include <gtest/gtest.h>

#include <cstdlib>

#include <nlohmann/json.hpp>
#include "support/temp_dir.h"
#include "zoci_runner.h"

namespace zotest {
namespace {

const std::vector<std::string> kEncodings = {"utf8", "utf8-bom", "utf16le", "cp1252"};

std::string Sample(const std::string& encoding) { return "encodings/inventory." + encoding + ".cpp"; }

/// `text` with every `path` replaced by `name` (built by appending: GCC 12 at
/// -O3 misreads an in-place replace as an overlapping copy).
std::string WithFileNamed(const std::string& text, const std::string& path, const std::string& name) {
  std::string out;
  size_t from = 0;
  for (size_t at; (at = text.find(path, from)) != std::string::npos; from = at + path.size()) {
    out.append(text, from, at - from).append(name);
  }
  return out.append(text, from);
}

class Zoci : public ::testing::Test {
 protected:
  Zoci() { CopySamples(dir_.Path()); }
  ZociRun Run(const std::vector<std::string>& arguments, const std::string& input = {}) {
    return RunZoci(dir_.Path(), arguments, input);
  }
  TempDir dir_;
};

TEST_F(Zoci, EveryEncodingGivesTheSameDiagnosticsAtUtf16Columns) {
  std::string expected;
  for (const std::string& encoding : kEncodings) {
    const ZociRun run = Run({"inspect", Sample(encoding)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string text = WithFileNamed(run.out, Sample(encoding), "F");
    if (expected.empty()) expected = text;
    EXPECT_EQ(text, expected) << encoding;
  }
  // NULL follows "Größe XL – 5 €" on line 33: column 90 in UTF-16 units (more in bytes).
  EXPECT_NE(expected.find("F:33:90: warning: use nullptr [modernize-use-nullptr]\n"), std::string::npos) << expected;
  EXPECT_NE(expected.find("6 warnings and 0 errors in 1 file\n"), std::string::npos);
}

TEST_F(Zoci, ExitCodesFollowWhatACiJobExpects) {
  EXPECT_EQ(Run({"inspect", Sample("utf8")}).exitCode, 0);
  const ZociRun promoted = Run({"inspect", "--warnings-as-errors=modernize-use-nullptr", Sample("utf8")});
  EXPECT_EQ(promoted.exitCode, 1);
  EXPECT_NE(promoted.out.find("error: use nullptr [modernize-use-nullptr,-warnings-as-errors]"), std::string::npos);
  EXPECT_EQ(Run({"inspect", "--warnings-as-errors=cert-*", Sample("utf8")}).exitCode, 0);
  const ZociRun usage = Run({"inspect", "--no-such-flag", Sample("utf8")});
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_NE(usage.err.find("unknown option '--no-such-flag'"), std::string::npos);
  const ZociRun missing = Run({"inspect", "missing.cpp", Sample("utf8")});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("cannot read missing.cpp"), std::string::npos);
  EXPECT_NE(missing.out.find("6 warnings"), std::string::npos);  // the readable file is still inspected
  const ZociRun badConfig = Run({"inspect", "--config-file", "nowhere/.clang-tidy", Sample("utf8")});
  EXPECT_EQ(badConfig.exitCode, 2);
  EXPECT_NE(badConfig.err.find("nowhere/.clang-tidy"), std::string::npos);
}

TEST_F(Zoci, CompileCommandsGiveEachFileItsFoldersAndDefines) {
  const ZociRun alone = Run({"inspect", "project/src/main.cpp"});
  EXPECT_EQ(alone.exitCode, 1);  // a compiler error fails the run for CI
  EXPECT_NE(alone.out.find("project/src/main.cpp:5:10: error: 'config.h' file not found [clang-diagnostic-error]"), std::string::npos) << alone.out;
  const ZociRun project = Run({"inspect", "-p", "project", "project/src/main.cpp"});
  EXPECT_EQ(project.exitCode, 0) << project.err;
  EXPECT_NE(project.out.find("project/src/main.cpp:8:62: warning: use nullptr"), std::string::npos) << project.out;
  EXPECT_EQ(Run({"inspect", "-p", "encodings", "project/src/main.cpp"}).exitCode, 2);  // no database there
}

TEST_F(Zoci, CFilesAreInspectedAsCUnlessTheLanguageIsGiven) {
  dir_.Write("plain.c", "#include <stddef.h>\nint *none(void) { return NULL; }\n");
  const std::vector<std::string> nullptrCheck = {"inspect", "--checks=-*,modernize-use-nullptr", "plain.c"};
  EXPECT_NE(Run(nullptrCheck).out.find("0 warnings"), std::string::npos);  // C has no nullptr
  std::vector<std::string> asCpp = nullptrCheck;
  asCpp.insert(asCpp.begin() + 1, "--x=c++");
  EXPECT_NE(Run(asCpp).out.find("plain.c:2:26: warning: use nullptr"), std::string::npos);
}

TEST_F(Zoci, DirectivesSkipLinesFilesAndSetOptions) {
  const ZociRun run = Run({"inspect", "directives/directives.cpp", "directives/skipped.cpp"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("directives/directives.cpp:13:16: warning: use nullptr"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("1 warning and 0 errors in 2 files"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("skipped.cpp: skipped by its zoCI:skipall directive"), std::string::npos);
}

TEST_F(Zoci, StdinBufferIsInspectedInPlaceOfTheFile) {
  const ZociRun saved = Run({"inspect", "unsaved/draft.cpp"});
  EXPECT_NE(saved.out.find("0 warnings"), std::string::npos);
  const ZociRun edited = Run({"inspect", "--stdin-buffer", "unsaved/draft.cpp"}, ReadBytes(dir_.Path() / "unsaved/draft.cpp.edited"));
  EXPECT_EQ(edited.exitCode, 0) << edited.err;
  EXPECT_NE(edited.out.find("unsaved/draft.cpp:7:49: warning: use nullptr"), std::string::npos) << edited.out;
}

TEST_F(Zoci, ChecksAndOptionsFromTheCommandLineOverrideTheConfiguration) {
  const ZociRun run = Run({"inspect", "--checks=-*,readability-braces-around-statements", "--option",
                           "readability-braces-around-statements.ShortStatementLines=2", Sample("utf8")});
  EXPECT_EQ(run.out.find("[modernize-"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("0 warnings"), std::string::npos) << run.out;  // every statement is short
}

TEST_F(Zoci, SeveralFilesConcurrentlyKeepTheirOrder) {
  std::vector<std::string> arguments = {"inspect", "-j", "4", "--format", "json"};
  for (const std::string& encoding : kEncodings) arguments.push_back(Sample(encoding));
  const ZociRun run = Run(arguments);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const auto json = nlohmann::json::parse(run.out);
  const auto& files = json["files"];
  ASSERT_EQ(files.size(), 4u);
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(files[i]["path"], Sample(kEncodings[i]));
    EXPECT_EQ(files[i]["diagnostics"].size(), 6u);
  }
  EXPECT_EQ(files[2]["encoding"], "UTF-16LE BOM");
}

TEST_F(Zoci, SarifOffsetsLeaveOutTheByteOrderMark) {
  const ZociRun plain = Run({"inspect", "--format=sarif", Sample("utf8")});
  const ZociRun bom = Run({"inspect", "--format=sarif", Sample("utf16le")});
  const auto region = [](const std::string& log) {
    const auto sarif = nlohmann::json::parse(log);
    return sarif["runs"][0]["results"][0]["locations"][0]["physicalLocation"]["region"];
  };
  EXPECT_EQ(region(plain.out), region(bom.out));
  EXPECT_EQ(region(bom.out)["startColumn"], 18);
}

/// The SARIF multitool: $ZOCI_SARIF_MULTITOOL, else the one found when configuring.
std::string SarifMultitool() {
  const char* chosen = std::getenv("ZOCI_SARIF_MULTITOOL");
  return chosen && *chosen ? chosen : ZOCI_SARIF_MULTITOOL;
}

TEST_F(Zoci, SarifPassesTheMultitoolsValidation) {
  const std::string multitool = SarifMultitool();
  if (multitool.empty()) GTEST_SKIP() << "the SARIF multitool (npm @microsoft/sarif-multitool) is not installed";
  const ZociRun run = Run({"inspect", "--format=sarif", Sample("utf16le"), Sample("cp1252"), "project/src/main.cpp", "missing.cpp"});
  const auto log = dir_.Write("out.sarif", run.out);
  const auto report = dir_.Path() / "validation.txt";
  const std::string validate = "'" + multitool + "' validate '" + log.string() + "' >'" + report.string() + "' 2>&1";
  ASSERT_EQ(std::system(validate.c_str()), 0);
  const std::string findings = ReadBytes(report);
  EXPECT_NE(findings.find("1 files scanned"), std::string::npos) << findings;
  EXPECT_EQ(findings.find(": error "), std::string::npos) << findings;  // the tool exits 0 even then
  EXPECT_EQ(findings.find(": warning "), std::string::npos) << findings;
}

TEST_F(Zoci, LogAndDumpFoldersReceiveTheRunsTexts) {
  const ZociRun run = Run({"inspect", "--log-dir", "logs", "--detailed", "--dump-dir", "dump", Sample("utf8")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  int logs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / "logs")) logs += entry.is_regular_file();
  EXPECT_EQ(logs, 4);
  EXPECT_FALSE(std::filesystem::is_empty(dir_.Path() / "dump"));
}

}  // namespace
}  // namespace zotest
