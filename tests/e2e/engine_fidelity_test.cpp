// The engine against the clang-tidy binary of the same LLVM: for the same
// text, arguments and checks, its standard output, its exported fixes and its
// error stream are the binary's. The engine's checks skip system headers, so
// the counts of the error stream's summary (warnings generated, warnings
// suppressed in non-user code) are its own; the rest is compared as it is.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_samples.h"
#include "reference_tidy.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

/// `text` with the header names of modernize-deprecated-headers' messages left
/// out: LLVM 19's check keeps the name past the life of its text, so the binary
/// and the engine alike print whatever bytes are there by then.
std::string WithoutDeprecatedHeaderNames(const std::string& text) {
  static const std::regex name(R"((inclusion of deprecated C\+\+ header '+)[^;\n]*?('+; consider using))");
  return std::regex_replace(text, name, "$1...$2");
}

struct FidelityCase {
  std::string sample;
  std::string checks;
  std::vector<std::pair<std::string, std::string>> options;
};

void PrintTo(const FidelityCase& c, std::ostream* out) { *out << c.sample << " " << c.checks; }

class EngineFidelity : public testing::TestWithParam<FidelityCase> {};

TEST_P(EngineFidelity, OutputsEqualTheBinarysForTheSameText) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  EngineRequest request = SampleRequest(GetParam().sample, GetParam().checks);
  request.checkOptions = GetParam().options;
  TempDir scratch;
  const ReferenceRun reference = RunReference(request, scratch);
  const EngineRunResult engine = RunEngine(RealEngine(), request);

  ASSERT_NE(CountLines(reference.diagnostics, "warning:"), 0) << "the sample must give findings";
  ExpectTheBinarysOutputs(engine, reference);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, EngineFidelity,
    testing::Values(FidelityCase{"inventory.cpp", "-*,modernize-*", {}},
                    FidelityCase{"inventory.cpp",
                                 "-*,readability-*,misc-*",
                                 {{"readability-identifier-length.MinimumVariableNameLength", "2"},
                                  {"readability-function-cognitive-complexity.Threshold", "3"}}},
                    // values that YAML would read otherwise, unquoted
                    FidelityCase{"inventory.cpp",
                                 "-*,modernize-use-nullptr",
                                 {{"modernize-use-nullptr.NullMacros", "MYNULL,NULL"},
                                  {"modernize-use-nullptr.IgnoredTypes", "a: b;^[a-z]{1,2}$"},
                                  {"zoci.Empty", ""},
                                  {"zoci.Dash", "-"}}},
                    FidelityCase{
                        "inventory.cpp", "-*,bugprone-*,cppcoreguidelines-*,performance-*,clang-analyzer-*", {}},
                    FidelityCase{"buffers.c", "-*,bugprone-*,cert-*,clang-analyzer-*", {}},
                    // A cycle through a standard algorithm: found only when the
                    // checks visit the system header's instantiation too.
                    FidelityCase{"recursion.cpp", "-*,misc-no-recursion", {}}));

/// Real sources from the packages the build installs: the JSON library's
/// examples and the test framework's samples, over large system headers.
/// The first of each folder by default; ZOCI_CORPUS_FILES=N takes N of each,
/// evenly spaced.
std::vector<FidelityCase> CorpusCases() {
  const std::string checks = "-*,modernize-*,readability-*,performance-*,bugprone-*";
  const char* wanted = std::getenv("ZOCI_CORPUS_FILES");
  const size_t perFolder = wanted != nullptr ? std::max(1, std::atoi(wanted)) : 1;
  std::vector<FidelityCase> cases;
  for (const char* folder : {"/usr/share/doc/nlohmann-json3-dev/examples", "/usr/src/googletest/googletest/samples"}) {
    if (!std::filesystem::is_directory(folder)) continue;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() == ".cpp" || entry.path().extension() == ".cc") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    const size_t step = std::max<size_t>(1, files.size() / perFolder);
    for (size_t i = 0; i < files.size() && i / step < perFolder; i += step) {
      cases.push_back({files[i].string(), checks, {}});
    }
  }
  return cases;
}

class EngineCorpusFidelity : public EngineFidelity {};

TEST_P(EngineCorpusFidelity, DiagnosticsAndFixesEqualTheBinarys) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  const EngineRequest request = FileRequest(GetParam().sample, GetParam().checks);
  TempDir scratch;
  const ReferenceRun reference = RunReference(request, scratch);
  const EngineRunResult engine = RunEngine(RealEngine(), request);
  ExpectTheBinarysOutputs(engine, reference, WithoutDeprecatedHeaderNames);
}

INSTANTIATE_TEST_SUITE_P(Corpus, EngineCorpusFidelity, testing::ValuesIn(CorpusCases()));

/// The checks of the four groups that do not watch the preprocessor, so that
/// runs load a preamble.
constexpr const char* kPreambleChecks =
    "-*,modernize-*,readability-*,performance-*,bugprone-*,"
    "-bugprone-implicit-widening-of-multiplication-result,-bugprone-lambda-function-name,"
    "-bugprone-macro-parentheses,-bugprone-macro-repeated-side-effects,-bugprone-reserved-identifier,"
    "-bugprone-stringview-nullptr,-bugprone-suspicious-include,-modernize-deprecated-headers,-modernize-loop-convert,"
    "-modernize-macro-to-enum,-modernize-make-shared,-modernize-make-unique,-modernize-min-max-use-initializer-list,"
    "-modernize-pass-by-value,-modernize-replace-auto-ptr,-modernize-replace-disallow-copy-and-assign-macro,"
    "-modernize-replace-random-shuffle,-performance-type-promotion-in-math-fn,-performance-unnecessary-value-param,"
    "-readability-avoid-unconditional-preprocessor-if,-readability-duplicate-include,-readability-else-after-return,"
    "-readability-identifier-naming,-readability-redundant-preprocessor,-readability-use-std-min-max";

/// The preamble line of a run log ("built", "reused", ...); empty when none.
std::string PreambleUse(const std::string& diagnostics) {
  const size_t start = diagnostics.find("Preamble: ");
  if (start == std::string::npos) return "";
  const size_t end = diagnostics.find(';', start);
  return diagnostics.substr(start + 10, end - start - 10);
}

class EngineCorpusPreamble : public EngineFidelity {};

// A copy of the file's folder is inspected, edited below its includes and
// inspected again: the second run reuses the first one's preamble and gives
// the binary's outputs for the edited text.
TEST_P(EngineCorpusPreamble, ARunAfterAnEditInTheBodyEqualsTheBinarys) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  const std::filesystem::path original(GetParam().sample);
  TempDir copy;
  std::filesystem::copy(original.parent_path(), copy.Path(), std::filesystem::copy_options::recursive);
  const std::filesystem::path file = copy.Path() / original.filename();
  const EngineRequest request = FileRequest(file, kPreambleChecks);
  const EngineRunResult first = RunEngine(RealEngine(), request);
  ASSERT_THAT(PreambleUse(first.diagnostics), testing::AnyOf("built", "rebuilt")) << first.diagnostics;
  std::ofstream(file, std::ios::app) << "\nint* zoci_edited() { int* unused = 0; return unused; }\n";
  TempDir scratch;
  const ReferenceRun reference = RunReference(request, scratch);
  const EngineRunResult engine = RunEngine(RealEngine(), request);
  EXPECT_EQ(PreambleUse(engine.diagnostics), "reused") << engine.diagnostics;
  ExpectTheBinarysOutputs(engine, reference);
}

INSTANTIATE_TEST_SUITE_P(Corpus, EngineCorpusPreamble, testing::ValuesIn(CorpusCases()));

TEST(EngineFidelity, AnExportOfHundredsOfDiagnosticsIsTheBinarys) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  TempDir source;
  std::string text;
  for (int i = 0; i < 700; ++i) {
    text += "int* p" + std::to_string(i) + (i % 3 == 0 ? " = 0; // 'quoted' \"text\"\n" : " = 0;\n");
  }
  const EngineRequest request = FileRequest(source.Write("many.cpp", text), "-*,modernize-use-nullptr");
  TempDir scratch;
  const ReferenceRun reference = RunReference(request, scratch);
  const EngineRunResult engine = RunEngine(RealEngine(), request);
  EXPECT_EQ(CountLines(reference.fixesYaml, "  - DiagnosticName:"), 700);
  EXPECT_EQ(engine.fixesYaml, reference.fixesYaml);
}

TEST(EngineCheckProfile, ComesOnTheErrorStreamBeforeTheCompilerSummary) {
  EngineRequest request =
      SampleRequest("inventory.cpp", "-*,modernize-use-nullptr,readability-braces-around-statements");
  request.checkProfile = true;
  const EngineRunResult run = RunEngine(RealEngine(), request);
  const size_t table = run.errors.find("clang-tidy checks profiling");
  const size_t summary = run.errors.find("warnings generated.");
  ASSERT_NE(table, std::string::npos) << run.errors;
  EXPECT_LT(table, summary);
  EXPECT_EQ(CountLines(run.errors, "  modernize-use-nullptr"), 1) << run.errors;
  EXPECT_NE(run.errors.find("  Total\n\n"), std::string::npos) << run.errors;
}

}  // namespace
}  // namespace zotest
