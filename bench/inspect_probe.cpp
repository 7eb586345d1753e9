// zoci_inspect_probe: inspects files a given number of times through the
// library, as a host does (one parser per file, the files in turn), and prints
// one line per inspection:
//   "<wall ms> <prepare buffers ms> <clang tidy ms> <process diag ms> <status>"
// and a last line "peak-kib <maximum resident set size>". With --edit, a line
// is added at the end of the file (below its includes) before each inspection
// but the first, as an editor's user types in the body.
// Usage: zoci_inspect_probe [--edit] FILE COUNT CHECKS [MORE FILES...]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "interop/interop2.h"

namespace {

using namespace Quillfern::ZoCodeInspections::Native;

/// The milliseconds of the "<label>: Nms" timing line of a log text; -1 when absent.
int TimingOf(const std::string& logText, const std::string& label) {
  const std::string prefix = " * " + label + ": ";
  const size_t at = logText.find(prefix);
  if (at == std::string::npos) return -1;
  return std::atoi(logText.c_str() + at + prefix.size());
}

bool InspectOnce(IZoFileParser& parser, const std::string& checks) {
  CheckOptions options;
  const auto start = std::chrono::steady_clock::now();
  std::unique_ptr<RunResult> result = parser.Parse(0, UnsavedBuffers{}, checks, "", options);
  const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - start;
  if (!result) {
    std::fprintf(stderr, "zoci_inspect_probe: the parse produced nothing\n");
    return false;
  }
  std::printf("%.3f %d %d %d %d\n", wall.count(), TimingOf(result->logText, "Prepare buffers"),
              TimingOf(result->logText, "Clang tidy"), TimingOf(result->logText, "Process diag"), result->status);
  if (result->status >= RunStatus::incompatibleEncoding) {
    std::fprintf(stderr, "zoci_inspect_probe: %s\n", result->errorText.c_str());
    return false;
  }
  return true;
}

/// Adds the `round`th edit at the end of `file`.
void Edit(const std::string& file, int round) {
  std::ofstream(file, std::ios::app) << "int Edited" << round << "() { return " << round << "; }\n";
}

}  // namespace

int main(int argc, char** argv) {
  const bool edit = argc > 1 && std::string(argv[1]) == "--edit";
  if (edit) {
    --argc;
    ++argv;
  }
  if (argc < 4 || std::atoi(argv[2]) < 1) {
    std::fprintf(stderr, "usage: zoci_inspect_probe [--edit] FILE COUNT CHECKS [MORE FILES...]\n");
    return 2;
  }
  std::vector<std::string> files{argv[1]};
  files.insert(files.end(), argv + 4, argv + argc);
  std::vector<std::unique_ptr<IZoFileParser>> parsers;
  for (const std::string& file : files) parsers.emplace_back(interop2().CreateFileParser(file, InspectionSettings{}));
  for (int round = 0; round < std::atoi(argv[2]); ++round) {
    for (size_t i = 0; i < files.size(); ++i) {
      if (edit && round > 0) Edit(files[i], round);
      if (!InspectOnce(*parsers[i], argv[3])) return 1;
    }
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak-kib %ld\n", usage.ru_maxrss);
  return 0;
}
