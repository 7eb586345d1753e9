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

/// Real sources: GoogleTest's own, with its include folders.
const std::vector<std::string> kRealSources = {
    "googletest/src/gtest-filepath.cc",
    "googletest/src/gtest-printers.cc",
};

Setup ToolSetup(const std::string& checks, std::vector<std::string> includeFolders = {}) {
  return {.zoci = ZOCI_EXE, .clangTidy = ZOCI_REFERENCE_TIDY, .checks = checks,
          .includeFolders = std::move(includeFolders), .jobs = 2};
}

/// Where the compared files go: ZOCI_DIFFERENTIAL_FOLDER keeps them for a
/// look after a failure; otherwise a temporary folder.
class Folder {
 public:
  std::filesystem::path Path(const std::string& name) const {
    const char* kept = std::getenv("ZOCI_DIFFERENTIAL_FOLDER");
    return kept != nullptr && *kept != '\0' ? std::filesystem::absolute(kept) / name : temp_.Path() / name;
  }

 private:
  zotest::TempDir temp_;
};

std::string Report(const std::vector<std::string>& mismatches) {
  std::string report = std::to_string(mismatches.size()) + " disagreements:\n";
  for (size_t i = 0; i < mismatches.size() && i < 60; ++i) report += "  " + mismatches[i] + "\n";
  return report;
}

/// One kind of real-world text each, so that a failure names what broke.
const std::vector<std::pair<std::string, std::string>> kFocusedSources = {
    {"ascii", "int* p = 0;\n"},
    {"two_byte_before_fix", "const char* s = \"Gr\u00F6\u00DFe\"; int* p = 0;\n"},
    {"three_byte_before_fix", "const char* s = \"5 \u20AC\"; int* p = 0;\n"},
    {"four_byte_before_fix", "const char* s = \"\U0001F600\"; int* p = 0;\n"},
    {"four_byte_identifier", "int* \U00020000 = 0; int* q = 0;\n"},
    {"tabs", "\tint*\tp\t=\t0;\n"},
    {"crlf", "// \u00E4\r\nint* p = 0;\r\n"},
    {"lone_cr", "// \u00E4\rint* p = 0;\r"},
    {"nul_in_comment", std::string("// a\0b \u00E4\nint* p = 0;\n", 22)},
    {"long_line", "/* " + std::string(5000, 'x') + " \u00E4 */ int* p = 0;\n"},
    {"adjacent_initialisers", "struct M { M() : a(1), b(2) {} int a; int b; }; // \u00E4\n"},
    {"else_after_braceless_return", "int f(int x) { if (x) return 1; else return 2; } // \u00E4\n"},
};

TEST(Differential, FocusedSourcesInEveryEncodingAgreeWithClangTidy) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  std::vector<Case> cases;
  for (const auto& [name, text] : kFocusedSources) cases.push_back({name, text, AllForms()});
  const auto mismatches = CompareWithClangTidy(cases, ToolSetup(kGeneratedChecks), Folder().Path("focused"));
  EXPECT_TRUE(mismatches.empty()) << Report(mismatches);
}

TEST(Differential, GeneratedSourcesInEveryEncodingAgreeWithClangTidy) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  std::vector<Case> cases;
  for (uint64_t seed = 1; seed <= kGeneratedSources; ++seed) {
    SeededChoices choices(seed);
    cases.push_back({"generated" + std::to_string(seed), GenerateSource(choices, seed % 3 == 0), AllForms()});
  }
  const auto mismatches = CompareWithClangTidy(cases, ToolSetup(kGeneratedChecks), Folder().Path("generated"));
  EXPECT_TRUE(mismatches.empty()) << Report(mismatches);
}

}  // namespace
}  // namespace difftest
