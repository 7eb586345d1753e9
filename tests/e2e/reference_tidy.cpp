#include "reference_tidy.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <regex>
#include <sstream>

#include "e2e_samples.h"

namespace zotest {

namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

ReferenceRun RunReference(const EngineRequest& request, const TempDir& scratch) {
  const std::string fixes = (scratch.Path() / "reference.yaml").string();
  std::string command = "cd " + Quoted(*request.mainFileFolder) + " && " + Quoted(ZOCI_REFERENCE_TIDY);
  for (const std::string& argument : LibraryArguments(request)) {
    if (argument == "clang-tidy.exe" || argument.starts_with("-extra-arg=")) continue;
    const bool isExport = argument.starts_with("-export-fixes=");
    command.append(" ").append(Quoted(isExport ? std::string("-export-fixes=").append(fixes) : argument));
  }
  command += " --";
  for (const std::string& argument : NativeCompilerArgs(request.compilerArgs))
    command.append(" ").append(Quoted(argument));
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

std::string WithoutSummary(const std::string& errors) {
  static const std::regex summary(
      R"(\d+ warnings?( and \d+ errors?)? generated\.|Suppressed \d+ warnings? \(.*\)\.|Use -header-filter=.*)");
  std::istringstream lines(errors);
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (!std::regex_match(line, summary)) kept.append(line).append("\n");
  }
  return kept;
}

std::string WithoutRunLog(const std::string& diagnostics) {
  std::istringstream lines(diagnostics);
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("Preamble: ")) kept.append(line).append("\n");
  }
  return kept;
}

void ExpectTheBinarysOutputs(const EngineRunResult& engine, const ReferenceRun& reference,
                             const std::function<std::string(const std::string&)>& same) {
  const auto seen = [&same](const std::string& text) { return same ? same(text) : text; };
  EXPECT_EQ(seen(WithoutRunLog(engine.diagnostics)), seen(reference.diagnostics));
  EXPECT_EQ(seen(engine.fixesYaml), seen(reference.fixesYaml));
  EXPECT_EQ(seen(WithoutSummary(engine.errors)), seen(WithoutSummary(reference.errors)));
  EXPECT_EQ(engine.exitCode, reference.exitCode);
}

}  // namespace zotest
