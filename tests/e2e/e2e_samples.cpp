#include "e2e_samples.h"

#include <sstream>

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

EngineRequest SampleRequest(const std::string& name, const std::string& checks) {
  return FileRequest(SamplePath(name), checks);
}

int CountLines(const std::string& text, const std::string& fragment) {
  std::istringstream lines(text);
  int count = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find(fragment) != std::string::npos) ++count;
  }
  return count;
}

}  // namespace zotest
