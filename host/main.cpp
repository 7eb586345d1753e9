// zoci: the command-line host of the inspection library.
#include <cstdio>
#include <cstring>
#include <string>

#include "interop/interop2.h"

namespace {

constexpr const char* kUsage =
    "usage: zoci --version   print the engine's version through the library\n";

int PrintVersion() {
  const std::string text =
      Quillfern::ZoCodeInspections::Native::interop2().Initialize(std::string(), false);
  if (text.rfind("error: ", 0) == 0) {
    std::fprintf(stderr, "zoci: %s\n", text.c_str() + 7);
    return 2;
  }
  std::printf("zoci 0.1.0 (%s)\n", text.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) return PrintVersion();
  std::fputs(kUsage, argc == 2 && std::strcmp(argv[1], "--help") == 0 ? stdout : stderr);
  return argc == 2 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
}
