// The engine against the clang-tidy binary of the same LLVM: for the same
// text, arguments and checks, its standard output, its exported fixes and its
// error stream are the binary's.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_samples.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

struct ReferenceRun {
  int exitCode = -1;
  std::string diagnostics;
  std::string errors;
  std::string fixesYaml;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

/// Runs the binary with the request's arguments from the main file's folder;
/// the compiler arguments follow "--".
ReferenceRun RunReference(const EngineRequest& request, const TempDir& scratch) {
  const std::string fixes = (scratch.Path() / "reference.yaml").string();
  std::string command = "cd " + Quoted(*request.mainFileFolder) + " && " + Quoted(ZOCI_REFERENCE_TIDY);
  for (const std::string& argument : LibraryArguments(request)) {
    if (argument == "clang-tidy.exe" || argument.starts_with("-extra-arg=")) continue;
    const bool isExport = argument.starts_with("-export-fixes=");
    command.append(" ").append(Quoted(isExport ? std::string("-export-fixes=").append(fixes) : argument));
  }
  command += " --";
  for (const std::string& argument : NativeCompilerArgs(request.compilerArgs)) command.append(" ").append(Quoted(argument));
  const auto out = scratch.Path() / "out.txt";
  const auto err = scratch.Path() / "err.txt";
  command += " > " + Quoted(out.string()) + " 2> " + Quoted(err.string());
  const int status = std::system(command.c_str());
  ReferenceRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.diagnostics = ReadBytes(out);
  run.errors = ReadBytes(err);
  if (std::filesystem::exists(fixes)) run.fixesYaml = ReadBytes(fixes);
  return run;
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
  EXPECT_EQ(engine.diagnostics, reference.diagnostics);
  EXPECT_EQ(engine.fixesYaml, reference.fixesYaml);
  EXPECT_EQ(engine.errors, reference.errors);
  EXPECT_EQ(engine.exitCode, reference.exitCode);
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
                    FidelityCase{"inventory.cpp", "-*,bugprone-*,cppcoreguidelines-*,performance-*,clang-analyzer-*", {}},
                    FidelityCase{"buffers.c", "-*,bugprone-*,cert-*,clang-analyzer-*", {}}));

TEST(EngineCheckProfile, ComesOnTheErrorStreamBeforeTheCompilerSummary) {
  EngineRequest request = SampleRequest("inventory.cpp", "-*,modernize-use-nullptr,readability-braces-around-statements");
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
