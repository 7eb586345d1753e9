// The engine against the clang-tidy binary of the same LLVM: for the same text,
// arguments and checks, its outputs are the binary's (the summary counts aside).
#include <fstream>

#include "e2e_samples.h"

namespace zotest {
namespace {

struct FidelityCase {
  std::string file;
  std::string checks;
  std::vector<std::pair<std::string, std::string>> options = {};
};

void PrintTo(const FidelityCase& c, std::ostream* out) { *out << c.file << " " << c.checks; }

/// The samples, and the first of the installed JSON library's examples and
/// test framework's samples (ZOCI_CORPUS_FILES=N takes N of each, evenly spaced).
std::vector<FidelityCase> Cases() {
  // clang-format off
  std::vector<FidelityCase> cases = {
      // option values that YAML would read otherwise, unquoted
      {SamplePath("inventory.cpp"), "-*,modernize-*",
       {{"modernize-use-nullptr.NullMacros", "MYNULL,NULL"}, {"modernize-use-nullptr.IgnoredTypes", "a: b;^[a-z]{1,2}$"},
        {"zoci.Empty", ""}, {"zoci.Dash", "-"}}},
      {SamplePath("inventory.cpp"), "-*,readability-*,misc-*",
       {{"readability-identifier-length.MinimumVariableNameLength", "2"},
        {"readability-function-cognitive-complexity.Threshold", "3"}}},
      {SamplePath("inventory.cpp"), "-*,bugprone-*,cppcoreguidelines-*,performance-*,clang-analyzer-*"},
      {SamplePath("buffers.c"), "-*,bugprone-*,cert-*,clang-analyzer-*"},
      // A cycle through a standard algorithm: found only when the checks visit
      // the system header's instantiation too.
      {SamplePath("recursion.cpp"), "-*,misc-no-recursion"},
      // A user macro that a system header reads.
      {SamplePath("system_macros.cpp"), "-*,bugprone-reserved-identifier"}};
  // clang-format on
  const char* wanted = std::getenv("ZOCI_CORPUS_FILES");
  const size_t perFolder = wanted != nullptr ? std::max(1, std::atoi(wanted)) : 1;
  for (const char* folder : {"/usr/share/doc/nlohmann-json3-dev/examples", "/usr/src/googletest/googletest/samples"}) {
    if (!std::filesystem::is_directory(folder)) continue;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() == ".cpp" || entry.path().extension() == ".cc") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    const size_t step = std::max<size_t>(1, files.size() / perFolder);
    for (size_t i = 0; i < files.size() && i / step < perFolder; i += step)
      cases.push_back({files[i].string(), "-*,modernize-*,readability-*,performance-*,bugprone-*"});
  }
  return cases;
}

class EngineFidelity : public testing::TestWithParam<FidelityCase> {};

// A copy of the file's folder is inspected, edited below its includes (reusing
// the preamble) and inspected again.
TEST_P(EngineFidelity, OutputsEqualTheBinarysBeforeAndAfterAnEditInTheBody) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  const std::filesystem::path original(GetParam().file);
  TempDir copy, scratch;
  std::filesystem::copy(original.parent_path(), copy.Path(), std::filesystem::copy_options::recursive);
  EngineRequest request = FileRequest(copy.Path() / original.filename(), GetParam().checks);
  request.checkOptions = GetParam().options;
  std::string firstUse;  // checks that read more than the preprocessor's events use no preamble
  for (const std::string run : {"first", "edited"}) {
    SCOPED_TRACE(run);
    const EngineRunResult reference = RunReference(request, scratch);
    const EngineRunResult engine = RunEngine(RealEngine(), request);
    ASSERT_NE(CountLines(reference.diagnostics, "warning:"), 0) << "the source must give findings";
    if (run == "first") firstUse = PreambleUse(engine.diagnostics);
    if (run == "edited") {
      EXPECT_EQ(PreambleUse(engine.diagnostics), firstUse.empty() ? "" : "reused") << engine.diagnostics;
    }
    ExpectTheBinarysOutputs(engine, reference);
    std::ofstream(request.sourceFile, std::ios::app) << "\nint* zoci_edited() { int* unused = 0; return unused; }\n";
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, EngineFidelity, testing::ValuesIn(Cases()));

TEST(EngineFidelity, AnExportOfHundredsOfDiagnosticsIsTheBinarys) {
  if (std::string(ZOCI_REFERENCE_TIDY).empty()) GTEST_SKIP() << "clang-tidy-19 is not installed";
  TempDir source;
  std::string text;
  for (int i = 0; i < 700; ++i) {
    text += "int* p" + std::to_string(i) + (i % 3 == 0 ? " = 0; // 'quoted' \"text\"\n" : " = 0;\n");
  }
  const EngineRequest request = FileRequest(source.Write("many.cpp", text), "-*,modernize-use-nullptr");
  TempDir scratch;
  const EngineRunResult reference = RunReference(request, scratch);
  const EngineRunResult engine = RunEngine(RealEngine(), request);
  EXPECT_EQ(CountLines(reference.fixesYaml, "  - DiagnosticName:"), 700);
  EXPECT_EQ(engine.fixesYaml, reference.fixesYaml);
}

// Shown the standard headers' macros, the check would report each reserved
// name among them, and each report would be rendered before it was dropped.
TEST(EngineChecks, SeeNoPreprocessorEventOfTheSystemHeaders) {
  TempDir source;
  const EngineRequest request = FileRequest(source.Write("reserved.cpp", "#include <stdio.h>\n#define __mine 1\n"),
                                            "-*,bugprone-reserved-identifier");
  const EngineRunResult run = RunEngine(RealEngine(), request);
  EXPECT_EQ(CountLines(run.diagnostics, "warning:"), 1) << run.diagnostics;
  EXPECT_EQ(run.errors.find("in non-user code"), std::string::npos) << run.errors;
}

// With Microsoft extensions, clang hands the checks include names from a
// buffer that the next include overwrites; the binary then reports <thread>
// after <atomic>, a name of the same length, as a duplicate, and names a
// deprecated header by whatever bytes are there at the unit's end. The code
// before the includes leaves no preamble: the checks see the compile's own events.
TEST(EngineChecks, ReportIncludesByTheNamesWritten) {
  TempDir source;
  const EngineRequest request =
      FileRequest(source.Write("includes.cpp",
                               "int first;\n#include <iostream>\n#include <optional>\n#include <atomic>\n"
                               "#include <thread>\n#include <atomic>\n#include <stdio.h>\n#include <math.h>\n"),
                  "-*,readability-duplicate-include,modernize-deprecated-headers");
  const EngineRunResult run = RunEngine(RealEngine(), request);
  EXPECT_EQ(CountLines(run.diagnostics, "warning: duplicate include"), 1) << run.diagnostics;
  EXPECT_NE(run.diagnostics.find("includes.cpp:6:1: warning: duplicate include"), std::string::npos);
  for (const char* name : {"'stdio.h'; consider using 'cstdio'", "'math.h'; consider using 'cmath'"})
    EXPECT_NE(run.diagnostics.find(name), std::string::npos) << run.diagnostics;
}

// A system header's template bodies are parsed where the unit instantiates
// them: an error in one that nothing instantiates goes unseen. User code's
// templates are parsed where they stand.
TEST(EngineChecks, ParseTheTemplateBodiesOfSystemHeadersWhereInstantiated) {
  const char* const kTemplate = "template <class T> int Broken(T) { return undeclared; }\n";
  // clang-format off
  const std::tuple<bool, const char*, int> cases[] = {{true, "", 0}, {true, "int used = Broken(1);\n", 1},
      {false, "", 1}};
  // clang-format on
  for (const auto& [system, use, errors] : cases) {
    SCOPED_TRACE(std::string(system ? "system " : "user ") + use);
    TempDir headers, source;
    headers.Write("broken.h", kTemplate);
    EngineRequest request =
        FileRequest(source.Write("use.cpp", std::string("#include <broken.h>\n") + use), "-*,modernize-use-nullptr");
    request.compilerArgs.insert(request.compilerArgs.end(), {system ? "-isystem" : "-I", headers.Path().string()});
    const EngineRunResult run = RunEngine(RealEngine(), request);
    EXPECT_EQ(CountLines(run.diagnostics, "error: use of undeclared identifier"), errors) << run.diagnostics;
  }
}

TEST(EngineCheckProfile, ComesOnTheErrorStreamBeforeTheCompilerSummary) {
  EngineRequest request =
      FileRequest(SamplePath("inventory.cpp"), "-*,modernize-use-nullptr,readability-braces-around-statements");
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
