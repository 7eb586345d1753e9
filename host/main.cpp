// zoci: the command-line host of the inspection library.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "lsp_command.h"
#include "options.h"

int main(int argc, char** argv) {
  try {
    const zoci::ParsedCommandLine parsed = zoci::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
      std::fprintf(stderr, "zoci: error: %s\n", parsed.error.c_str());
      return zoci::kExitFailed;
    }
    switch (parsed.options->command) {
      case zoci::Command::help: std::fputs(zoci::HelpText().c_str(), stdout); return zoci::kExitInspected;
      case zoci::Command::version: return zoci::RunVersion();
      case zoci::Command::lsp: return zoci::RunLsp(*parsed.options);
      case zoci::Command::mergeSarif: return zoci::RunMergeSarif(*parsed.options);
      default: return zoci::RunInspect(*parsed.options);
    }
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "zoci: error: %s\n", failure.what());
  } catch (...) {
    std::fprintf(stderr, "zoci: error: unexpected failure\n");
  }
  return zoci::kExitFailed;
}
