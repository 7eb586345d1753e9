// zoci against clang-tidy-19 on generated sources in every encoding zoci
// reads, and on real sources: the same diagnostics at the same characters,
// and fixed files that decode to what clang-tidy's own --fix makes of the
// UTF-8 text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "differential.h"
#include "source_generator.h"
#include "support/temp_dir.h"

namespace difftest {
namespace {

/// Generated sources compared in every build; sanitized builds take a share.
constexpr uint64_t kGeneratedSources = 200 / ZOCI_DIFFERENTIAL_SHARE;

/// Real sources: GoogleTest's own (as Debian installs them), compiled with
/// its include folders, each in one of the Unicode forms in turn.
// clang-format off
const std::vector<std::string> kRealSources = {
    "googletest/src/gtest-assertion-result.cc", "googletest/src/gtest-death-test.cc", "googletest/src/gtest-filepath.cc",
    "googletest/test/gtest_no_test_unittest.cc", "googletest/src/gtest-port.cc", "googletest/src/gtest-printers.cc",
    "googletest/src/gtest-test-part.cc", "googletest/src/gtest-typed-test.cc", "googletest/src/gtest.cc",
    "googletest/src/gtest_main.cc", "googlemock/src/gmock-cardinalities.cc", "googlemock/src/gmock-internal-utils.cc",
    "googlemock/src/gmock-matchers.cc", "googlemock/src/gmock.cc", "googlemock/src/gmock_main.cc",
    "googletest/test/googletest-message-test.cc", "googletest/test/googletest-test-part-test.cc",
    "googletest/test/gtest_environment_test.cc", "googletest/test/gtest_premature_exit_test.cc",
    "googletest/test/gtest_repeat_test.cc", "googletest/test/gtest_skip_test.cc",
    "googlemock/test/gmock-cardinalities_test.cc"};
// clang-format on
const std::vector<Form> kUnicodeForms = {Form::utf8,    Form::utf16leBom, Form::utf8Bom,
                                         Form::utf16le, Form::utf16beBom, Form::utf16be};

/// Checks with fixes that real code of this kind provokes.
const char* const kRealChecks =
    "-*,readability-braces-around-statements,readability-else-after-return,modernize-use-nullptr,"
    "modernize-use-override,modernize-use-using,modernize-use-default-member-init,"
    "readability-implicit-bool-conversion,readability-isolate-declaration,readability-qualified-auto,"
    "modernize-use-auto,readability-container-size-empty,readability-redundant-member-init,"
    "readability-simplify-boolean-expr,modernize-use-trailing-return-type";

Setup ToolSetup(const std::string& checks, std::vector<std::string> includeFolders = {}) {
  return {ZOCI_EXE, ZOCI_REFERENCE_TIDY, checks, std::move(includeFolders), 2};
}

/// Where the compared files go: ZOCI_DIFFERENTIAL_FOLDER keeps them for a
/// look after a failure; otherwise a temporary folder.
std::filesystem::path Folder(const zotest::TempDir& temp, const std::string& name) {
  const char* kept = std::getenv("ZOCI_DIFFERENTIAL_FOLDER");
  return kept != nullptr && *kept != '\0' ? std::filesystem::absolute(kept) / name : temp.Path() / name;
}

/// The count of disagreements, then the first ones.
std::string Report(const std::vector<std::string>& mismatches) {
  std::string report = std::to_string(mismatches.size()) + " disagreements, the first ones:\n";
  for (size_t i = 0; i < mismatches.size() && i < 60; ++i) report += "  " + mismatches[i] + "\n";
  return report;
}

bool ReferenceMissing() { return std::string(ZOCI_REFERENCE_TIDY).empty(); }

// Generated sources in every form, and what they leave out: a file without a
// final line end (a fix in its last bytes, in every form), and characters
// outside the BMP in code and literals (compared in the UTF-8 forms only, as
// text converted from UTF-16 carries them as two three-byte halves, which
// clang refuses there).
TEST(Differential, GeneratedSourcesInEveryEncodingAgreeWithClangTidy) {
  if (ReferenceMissing()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  std::vector<Case> cases = {
      {"no_final_line_end", "struct S { S() : a(0), b(1) {} int a; int b; };\nint* p = 0;", AllForms()},
      {"four_byte_in_literal", "const char* s = \"\U0001F600\"; int* p = 0;\n", {Form::utf8, Form::utf8Bom}},
      {"four_byte_identifier", "int* \U00020000 = 0; int* q = 0;\n", {Form::utf8, Form::utf8Bom}},
  };
  for (uint64_t seed = 1; seed <= kGeneratedSources; ++seed) {
    SeededChoices choices(seed);
    cases.push_back({"generated" + std::to_string(seed), GenerateSource(choices, seed % 3 == 0), AllForms()});
  }
  const zotest::TempDir temp;
  const Outcome outcome = CompareWithClangTidy(cases, ToolSetup(kGeneratedChecks), Folder(temp, "generated"));
  EXPECT_TRUE(outcome.disagreements.empty()) << Report(outcome.disagreements);
  // Every source in the six Unicode forms, a third of them in code page 1252 too.
  EXPECT_GE(outcome.formsCompared, kGeneratedSources * 6);
  size_t diagnosed = 0;
  for (const auto& [name, count] : outcome.referenceDiagnostics) diagnosed += count > 0;
  EXPECT_GE(diagnosed, kGeneratedSources * 9 / 10);
  for (size_t focused = 0; focused < 3; ++focused) EXPECT_GT(outcome.referenceDiagnostics.at(cases[focused].name), 0u);
}

TEST(Differential, RealSourcesAgreeWithClangTidy) {
  if (ReferenceMissing()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  const std::filesystem::path root = ZOCI_GOOGLETEST_SOURCES;
  std::vector<Case> cases;
  for (size_t i = 0; i < kRealSources.size(); i += ZOCI_DIFFERENTIAL_SHARE) {
    const std::filesystem::path path = root / kRealSources[i];
    ASSERT_TRUE(std::filesystem::exists(path)) << path << " is missing: scripts/install-deps installs googletest";
    cases.push_back({path.stem().string(), zotest::ReadBytes(path), {kUnicodeForms[i % kUnicodeForms.size()]}});
  }
  const std::vector<std::string> includes = {(root / "googletest/include").string(), (root / "googletest").string(),
                                             (root / "googlemock/include").string(), (root / "googlemock").string()};
  const zotest::TempDir temp;
  const Outcome outcome = CompareWithClangTidy(cases, ToolSetup(kRealChecks, includes), Folder(temp, "real"));
  EXPECT_TRUE(outcome.disagreements.empty()) << Report(outcome.disagreements);
  EXPECT_EQ(outcome.formsCompared, cases.size());
  for (const auto& [name, count] : outcome.referenceDiagnostics)
    EXPECT_GT(count, 0u) << name << " carries no diagnostic";
}

}  // namespace
}  // namespace difftest
