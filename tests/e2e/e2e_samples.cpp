#include "e2e_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <sstream>

#include "support/shell.h"

// LeakSanitizer's exit scan can crash on a dynamic-TLS entry that glibc leaves
// behind once the dlopen'ed engine has thrown through a callback; whether it
// does depends on the process's layout. Dynamic TLS goes unrecorded instead.
#if defined(__SANITIZE_ADDRESS__)
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
  return "intercept_tls_get_addr=0";
}
#endif

namespace zotest {

std::string SamplePath(const std::string& name) { return std::string(ZOCI_SAMPLES) + "/" + name; }

EngineRequest FileRequest(const std::filesystem::path& file, const std::string& checks) {
  EngineRequest request;
  request.sourceFile = file.string();
  request.checks = checks;
  request.compilerArgs = LibraryCompilerArgs(file.extension() != ".c");
  request.mainFileFolder = file.parent_path().string() + "/";
  return request;
}

namespace {

/// The lines of `text` for which `keep` holds, each with its line end.
std::string KeptLines(const std::string& text, const std::function<bool(const std::string&)>& keep) {
  std::istringstream lines(text);
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (keep(line)) kept.append(line).append("\n");
  }
  return kept;
}

}  // namespace

int CountLines(const std::string& text, const std::string& fragment) {
  const std::string kept =
      KeptLines(text, [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
  return static_cast<int>(std::count(kept.begin(), kept.end(), '\n'));
}

EngineRunResult RunReference(const EngineRequest& request, const TempDir& scratch) {
  const std::string fixes = (scratch.Path() / "reference.yaml").string();
  std::string command = "cd " + ShellQuote(*request.mainFileFolder) + " && " + ShellQuote(ZOCI_REFERENCE_TIDY);
  for (const std::string& argument : LibraryArguments(request)) {
    if (argument == "clang-tidy.exe" || argument.starts_with("-extra-arg=")) continue;
    const bool isExport = argument.starts_with("-export-fixes=");
    command.append(" ").append(ShellQuote(isExport ? std::string("-export-fixes=").append(fixes) : argument));
  }
  command += " --";
  // Without Microsoft extensions, which the samples do not use: with them, the
  // binary's readability-duplicate-include compares include names whose buffer
  // is gone and reports includes of other headers.
  for (const std::string& argument : NativeCompilerArgs(request.compilerArgs)) {
    if (argument != "-fms-extensions") command.append(" ").append(ShellQuote(argument));
  }
  const ShellRun shell = RunShell(command);
  EngineRunResult run{shell.exitCode, shell.out, shell.err, {}};
  if (std::filesystem::exists(fixes)) run.fixesYaml = ReadBytes(fixes);
  return run;
}

std::string WithoutSummary(const std::string& errors) {
  static const std::regex summary(
      R"(\d+ warnings?( and \d+ errors?)? generated\.|Suppressed \d+ warnings? \(.*\)\.|Use -header-filter=.*)");
  return KeptLines(errors, [](const std::string& line) { return !std::regex_match(line, summary); });
}

std::string WithoutRunLog(const std::string& diagnostics) {
  return KeptLines(diagnostics, [](const std::string& line) { return !line.starts_with("Preamble: "); });
}

std::string PreambleUse(const std::string& diagnostics) {
  const size_t start = diagnostics.find("Preamble: ");
  if (start == std::string::npos) return "";
  const size_t end = diagnostics.find(';', start);
  return diagnostics.substr(start + 10, end - start - 10);
}

namespace {

size_t Indent(const std::string& line) { return line.find_first_not_of(' '); }

/// `yaml` with each list of replacements sorted: which file of a fix comes first
/// follows the hash order of the file names, which the two tools need not share.
std::string WithSortedReplacements(const std::string& yaml) {
  std::istringstream in(yaml);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::string out;
  for (size_t i = 0; i < lines.size();) {
    out += lines[i] + "\n";
    const size_t indent = Indent(lines[i]);
    if (lines[i].find("Replacements:") != indent || lines[i].size() != indent + 13) {
      ++i;
      continue;
    }
    std::vector<std::string> entries;
    for (++i; i < lines.size() && Indent(lines[i]) > indent && Indent(lines[i]) != std::string::npos; ++i) {
      if (lines[i][Indent(lines[i])] == '-' || entries.empty()) entries.emplace_back();
      entries.back() += lines[i] + "\n";
    }
    std::sort(entries.begin(), entries.end());
    for (const std::string& entry : entries) out += entry;
  }
  return out;
}

}  // namespace

void ExpectTheBinarysOutputs(const EngineRunResult& engine, const EngineRunResult& reference) {
  EXPECT_EQ(WithoutRunLog(engine.diagnostics), reference.diagnostics);
  EXPECT_EQ(WithSortedReplacements(engine.fixesYaml), WithSortedReplacements(reference.fixesYaml));
  EXPECT_EQ(WithoutSummary(engine.errors), WithoutSummary(reference.errors));
  EXPECT_EQ(engine.exitCode, reference.exitCode);
}

}  // namespace zotest
