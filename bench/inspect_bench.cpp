// End-to-end inspection speed: an editor-sized source (about 300 lines over
// seven standard headers) inspected through the library and the real engine,
// against the clang-tidy binary on the same text with the same command line.
// Every measurement is the wall time of whole runs, set as manual time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "encoded_text.h"
#include "engine_driver.h"
#include "manual_time.h"
#include "run/check_options.h"
#include "run/command_line.h"
#include "support/temp_dir.h"

namespace {

using namespace Quillfern::ZoCodeInspections::Native;
namespace fs = std::filesystem;

constexpr const char* kChecks = "-*,bugprone-*,modernize-*,performance-*,readability-*";
constexpr int kBlocks = 25;  // 12 lines each

std::string GeneratedSource() {
  std::ostringstream out;
  out << "// Inventaire de la cuisine \xE2\x80\x94 générée pour la mesure.\n"
         "#include <algorithm>\n#include <iomanip>\n#include <iostream>\n#include <map>\n#include <queue>\n"
         "#include <random>\n#include <string>\n#include <unordered_set>\n#include <vector>\n\n";
  for (int i = 0; i < kBlocks; ++i) {
    out << "// Rezept Nr. " << i << ": Grüße aus der Küche, crème brûlée\n"
        << "struct Dish" << i << " {\n"
        << "  Dish" << i << "() {}\n"
        << "  int* portion = 0;\n"
        << "  std::string name = \"entrée " << i << "\";\n"
        << "};\n"
        << "int Count" << i << "(const std::vector<int>& v, std::map<int, std::string> m) {\n"
        << "  int total = 0;\n"
        << "  for (size_t k = 0; k < v.size(); ++k) total += v[k];\n"
        << "  return total + (int)m.size() + (Dish" << i << "().portion == 0 ? 1 : 0);\n"
        << "}\n\n";
  }
  return out.str();
}

/// The measured sources, written once into a folder of their own.
struct Sources {
  zotest::TempDir folder;
  fs::path utf8 = folder.Write("inventory.cpp", GeneratedSource());
  fs::path utf16 = folder.Write("inventory16.cpp", zotest::Utf16LeWithBom(GeneratedSource()));
};

const Sources& TheSources() {
  static const Sources sources;
  return sources;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

/// A shell command of the given words, each quoted.
std::string Command(const std::vector<std::string>& words) {
  std::string command;
  for (const std::string& word : words) command.append(command.empty() ? "" : " ").append(Quoted(word));
  return command;
}

/// The binary's command for `file` with the command line the library builds
/// for it from default settings, run in the file's folder.
std::string BinaryCommand(const fs::path& file) {
  CheckOptions options;
  const auto line = BuildCommandLine(file.string(), InspectionSettings{}, 0, kChecks, options);
  const auto arguments = line ? ProcessParameters(*line, options, {}) : std::nullopt;
  if (!arguments) throw std::runtime_error("the library built no command line");
  std::vector<std::string> words{ZOCI_REFERENCE_TIDY, file.string(), "-header-filter=.*",
                                 "-export-fixes=" + (file.parent_path() / "binary.yaml").string()};
  std::vector<std::string> compilerArgs;
  for (const std::string& argument : *arguments) {
    if (argument.starts_with("-extra-arg=")) compilerArgs.push_back(argument.substr(11));
    else words.push_back(argument);
  }
  words.push_back("--");
  for (const std::string& argument : zotest::NativeCompilerArgs(compilerArgs)) words.push_back(argument);
  return std::string("cd ")
      .append(Quoted(file.parent_path().string()))
      .append(" && ")
      .append(Command(words))
      .append(" >/dev/null 2>&1");
}

/// The probe's command: `count` inspections of `file`, with an edit in the
/// body before each but the first when `edit` is set.
std::string ProbeCommand(const fs::path& file, int count, bool edit = false) {
  std::vector<std::string> words{ZOCI_PROBE, file.string(), std::to_string(count), kChecks};
  if (edit) words.insert(words.begin() + 1, "--edit");
  return Command(words);
}

/// Runs a shell command; its wall time in seconds and its standard output.
std::pair<double, std::string> Timed(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot start: " + command);
  std::string output;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
  pclose(pipe);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  return {wall.count(), output};
}

/// One probe line: wall ms, then the log's prepare, tidy and process ms.
struct ProbeLine {
  double wallMs = 0;
  int prepareMs = 0, tidyMs = 0, processMs = 0;
};

std::vector<ProbeLine> Probe(const fs::path& file, int count, bool edit = false) {
  const auto [wall, output] = Timed(ProbeCommand(file, count, edit));
  std::vector<ProbeLine> lines;
  std::istringstream in(output);
  for (ProbeLine line; in >> line.wallMs >> line.prepareMs >> line.tidyMs >> line.processMs;) {
    int status = 0;
    in >> status;
    lines.push_back(line);
  }
  if (static_cast<int>(lines.size()) != count) throw std::runtime_error("the probe failed: " + output);
  return lines;
}

// The clang-tidy binary, from process start to exit.
void BM_TidyBinary(benchmark::State& state) {
  const std::string command = BinaryCommand(TheSources().utf8);
  zotest::ReportManualTime(state, [&] { return Timed(command).first; });
}

// A host process that inspects the file once through the library.
void BM_InspectProcess(benchmark::State& state) {
  zotest::ReportManualTime(state, [] { return Timed(ProbeCommand(TheSources().utf8, 1).append(" >/dev/null")).first; });
}

// The first and the second inspection of the file in one process.
void BM_InspectFirst(benchmark::State& state) {
  zotest::ReportManualTime(state, [] { return Probe(TheSources().utf8, 2)[0].wallMs / 1000; });
}
void BM_InspectSecond(benchmark::State& state) {
  zotest::ReportManualTime(state, [] { return Probe(TheSources().utf8, 2)[1].wallMs / 1000; });
}

// The first inspection of a copy of the file and the second one after an
// edit in the body, in one process.
void BM_InspectEditFirst(benchmark::State& state) {
  zotest::ReportManualTime(state, [] {
    return Probe(TheSources().folder.Write("edited.cpp", GeneratedSource()), 2, true)[0].wallMs / 1000;
  });
}
void BM_InspectEdit(benchmark::State& state) {
  zotest::ReportManualTime(state, [] {
    return Probe(TheSources().folder.Write("edited.cpp", GeneratedSource()), 2, true)[1].wallMs / 1000;
  });
}

// The library's own part of an inspection of the UTF-16LE file (buffer
// preparation and diagnostic processing), against the whole inspection.
void BM_LibraryPartUtf16(benchmark::State& state) {
  zotest::ReportManualTime(state, [] {
    const ProbeLine line = Probe(TheSources().utf16, 1)[0];
    return (line.prepareMs + line.processMs) / 1000.0;
  });
}
void BM_WholeRunUtf16(benchmark::State& state) {
  zotest::ReportManualTime(state, [] { return Probe(TheSources().utf16, 1)[0].wallMs / 1000; });
}

#define ZOCI_INSPECT_BENCH(name) \
  BENCHMARK(name)->UseManualTime()->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)
ZOCI_INSPECT_BENCH(BM_TidyBinary);
ZOCI_INSPECT_BENCH(BM_InspectProcess);
ZOCI_INSPECT_BENCH(BM_InspectFirst);
ZOCI_INSPECT_BENCH(BM_InspectSecond);
ZOCI_INSPECT_BENCH(BM_InspectEditFirst);
ZOCI_INSPECT_BENCH(BM_InspectEdit);
ZOCI_INSPECT_BENCH(BM_LibraryPartUtf16);
ZOCI_INSPECT_BENCH(BM_WholeRunUtf16);

}  // namespace

BENCHMARK_MAIN();
