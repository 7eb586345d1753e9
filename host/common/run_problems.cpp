// Run problems out of a run's error text (see run_problems.h).
#include "run_problems.h"

#include <map>
#include <set>
#include <string_view>

namespace zoci {
namespace {

/// The library's line for a diagnostic it dropped while converting it.
constexpr std::string_view kDroppedDiagnostic = "*** exception: ";
/// The engine's last line for a unit with compiler errors.
constexpr std::string_view kCompilerErrors = "Found compiler error(s).";
/// The engine's line for a configuration file it passed over.
constexpr std::string_view kIgnoredConfiguration = "Error parsing ";
/// The engine's line for a check or option name that no check knows.
constexpr std::string_view kUnknownName = "Configuration warning: ";

std::string WithoutTrailingBreaks(std::string text) {
  text.erase(text.find_last_not_of("\r\n") + 1);
  return text;
}

}  // namespace

std::vector<std::string> RunProblems(const std::string& errorText) {
  std::map<std::string, size_t> dropped;  // why, and how many times
  std::set<std::string> configuration;  // once each: the engine may read a file more than once
  std::string_view rest = errorText;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.starts_with(kDroppedDiagnostic)) ++dropped[std::string(line.substr(kDroppedDiagnostic.size()))];
    if (line.starts_with(kIgnoredConfiguration))
      configuration.insert("the engine ignored a configuration file: " + std::string(line));
    if (line.starts_with(kUnknownName)) configuration.insert(std::string(line.substr(kUnknownName.size())));
  }
  std::vector<std::string> problems(configuration.begin(), configuration.end());
  for (const auto& [why, count] : dropped) {
    problems.push_back(std::to_string(count) + (count == 1 ? " diagnostic was" : " diagnostics were") +
                       " dropped by the library: " + why);
  }
  return problems;
}

bool CompilerReportedErrors(const std::string& errorText) {
  return errorText.find(kCompilerErrors) != std::string::npos;
}

std::string FailureMessage(const std::string& errorText, const std::string& logText) {
  std::string message = WithoutTrailingBreaks(errorText.empty() ? logText : errorText);
  return message.empty() ? "the inspection failed without a message" : message;
}

}  // namespace zoci
