// zoci_inspect_probe: inspects one file a given number of times through the
// library, as a host does, and prints one line per inspection:
//   "<wall ms> <prepare buffers ms> <clang tidy ms> <process diag ms> <status>"
// and a last line "peak-kib <maximum resident set size>".
// Usage: zoci_inspect_probe FILE COUNT CHECKS
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

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
              TimingOf(result->logText, "Clang tidy"), TimingOf(result->logText, "Process diag"),
              result->status);
  if (result->status >= RunStatus::incompatibleEncoding) {
    std::fprintf(stderr, "zoci_inspect_probe: %s\n", result->errorText.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::atoi(argv[2]) < 1) {
    std::fprintf(stderr, "usage: zoci_inspect_probe FILE COUNT CHECKS\n");
    return 2;
  }
  std::unique_ptr<IZoFileParser> parser(interop2().CreateFileParser(argv[1], InspectionSettings{}));
  for (int i = std::atoi(argv[2]); i > 0; --i) {
    if (!InspectOnce(*parser, argv[3])) return 1;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak-kib %ld\n", usage.ru_maxrss);
  return 0;
}
