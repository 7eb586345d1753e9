// zoci fix end to end: each sample encoding is fixed in place, keeps its
// encoding and byte order mark, and ends up as clang-tidy's own --fix leaves
// the UTF-8 version.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.h"
#include "text_codec.h"
#include "zoci_runner.h"

namespace zotest {
namespace {

std::u16string Decode(const std::string& bytes) {
  std::string error;
  const auto text = zoci::DecodeHostText(bytes, zoci::DecodeRules{}, error);
  EXPECT_TRUE(text) << error;
  return text ? text->text : std::u16string();
}

/// The UTF-8 sample as clang-tidy-19 --fix leaves it, or none without clang-tidy-19.
std::optional<std::string> ReferenceFix() {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) return std::nullopt;
  TempDir dir;
  CopySamples(dir.Path());
  const auto file = dir.Path() / "encodings/inventory.utf8.cpp";
  const std::string command = std::string(ZOCI_REFERENCE_TIDY) + " --fix '" + file.string() + "' -- -std=c++17 >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  return ReadBytes(file);
}

class ZociFix : public ::testing::TestWithParam<const char*> {};

TEST_P(ZociFix, KeepsTheEncodingAndMatchesClangTidysFix) {
  TempDir dir;
  CopySamples(dir.Path());
  const std::string sample = std::string("encodings/inventory.") + GetParam() + ".cpp";
  const std::string before = ReadBytes(dir.Path() / sample);
  const ZociRun run = RunZoci(dir.Path(), {"fix", sample});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("applied 6 fixes"), std::string::npos) << run.err;
  const std::string after = ReadBytes(dir.Path() / sample);
  EXPECT_NE(after, before);
  EXPECT_EQ(after.substr(0, 3) == "\xEF\xBB\xBF", before.substr(0, 3) == "\xEF\xBB\xBF");
  EXPECT_EQ(after.substr(0, 2) == "\xFF\xFE", before.substr(0, 2) == "\xFF\xFE");
  std::string error;
  const auto original = zoci::DecodeHostText(before, zoci::DecodeRules{}, error);
  const auto fixed = zoci::DecodeHostText(after, zoci::DecodeRules{}, error);
  ASSERT_TRUE(original && fixed) << error;
  EXPECT_EQ(zoci::EncodingName(*fixed), zoci::EncodingName(*original));
  const ZociRun again = RunZoci(dir.Path(), {"inspect", sample});
  EXPECT_NE(again.out.find("0 warnings"), std::string::npos) << again.out;
  const auto reference = ReferenceFix();
  if (!reference) GTEST_SKIP() << "clang-tidy-19 is not available for the comparison";
  EXPECT_EQ(fixed->text, Decode(*reference));
}

INSTANTIATE_TEST_SUITE_P(Encodings, ZociFix, ::testing::Values("utf8", "utf8-bom", "utf16le", "cp1252"),
                         [](const auto& param) { return std::string(param.param) == "utf8-bom" ? std::string("utf8bom") : std::string(param.param); });

TEST(ZociFixOnly, OnlyTheChosenChecksAreFixedAndAnUnsavedBufferComesBackOnStdout) {
  TempDir dir;
  CopySamples(dir.Path());
  const std::string sample = "encodings/inventory.utf8.cpp";
  const ZociRun run = RunZoci(dir.Path(), {"inspect", "--fix", "--only", "modernize-use-nullptr", sample});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string after = ReadBytes(dir.Path() / sample);
  EXPECT_NE(after.find(": nullptr; }"), std::string::npos);
  EXPECT_NE(after.find("virtual double Total() const {"), std::string::npos);  // use-override not applied
  const std::string draft = ReadBytes(dir.Path() / "unsaved/draft.cpp");
  const ZociRun buffer = RunZoci(dir.Path(), {"fix", "--stdin-buffer", "unsaved/draft.cpp"},
                                 ReadBytes(dir.Path() / "unsaved/draft.cpp.edited"));
  ASSERT_EQ(buffer.exitCode, 0) << buffer.err;
  EXPECT_NE(buffer.out.find("formal ? \"Schöne Grüße\" : nullptr;"), std::string::npos) << buffer.out;
  EXPECT_EQ(ReadBytes(dir.Path() / "unsaved/draft.cpp"), draft);  // the file on disk is left alone
}

}  // namespace
}  // namespace zotest

namespace zotest {
namespace {

TEST(ZociFixCodePage, AnotherAnsiCodePageIsReadAndWrittenInThatCodePage) {
  TempDir dir;
  const std::string cp1251 = "#include <cstddef>\n// \xCF\xF0\xE8\xE2\xE5\xF2\nconst char* s = \"\xCC\xE8\xF0\"; int* p = NULL;\n";
  dir.Write("a.cpp", cp1251);
  const std::vector<std::string> options = {"--checks=-*,modernize-use-nullptr", "--ansi-code-page=1251", "a.cpp"};
  std::vector<std::string> inspect = {"inspect"}, fix = {"fix"};
  inspect.insert(inspect.end(), options.begin(), options.end());
  fix.insert(fix.end(), options.begin(), options.end());
  const ZociRun run = RunZoci(dir.Path(), inspect);
  EXPECT_NE(run.out.find("a.cpp:3:33: warning: use nullptr"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"Мир\""), std::string::npos) << run.out;  // shown in UTF-8
  ASSERT_EQ(RunZoci(dir.Path(), fix).exitCode, 0);
  EXPECT_EQ(ReadBytes(dir.Path() / "a.cpp"), cp1251.substr(0, cp1251.size() - 6) + "nullptr;\n");
}

}  // namespace
}  // namespace zotest
