// The standalone arguments one run accepts: the program name, one source
// file, "-export-fixes=", "-header-filter=", "-checks=", any number of
// "-extra-arg=", "-config=" and "-enable-check-profile" (each option also
// with two dashes). Anything else is refused with a message naming it.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zoe {

/// One run's arguments, parsed.
struct RunArguments {
  std::string sourceFile;
  std::optional<std::string> exportFixes;
  std::optional<std::string> headerFilter;
  std::optional<std::string> checks;
  std::optional<std::string> config;
  std::vector<std::string> extraArgs;
  bool checkProfile = false;
};

/// Why the arguments were refused, worded for the error stream (one line,
/// without the line break).
struct ArgumentError {
  std::string message;
};

/// Parses argv (argv[0] is the program name).
std::variant<RunArguments, ArgumentError> ParseRunArguments(int argc, const char* const* argv);

}  // namespace zoe
