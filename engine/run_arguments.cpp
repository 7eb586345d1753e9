#include "run_arguments.h"

#include <array>
#include <string_view>

namespace zoe {

namespace {

/// Strips one or two leading dashes; empty when `argument` is no option.
std::string_view OptionText(std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '-') return {};
  argument.remove_prefix(argument[1] == '-' ? 2 : 1);
  return argument;
}

/// Splits "name=value" into its parts; the value is absent without "=".
std::pair<std::string_view, std::optional<std::string_view>> SplitOption(std::string_view option) {
  const size_t equals = option.find('=');
  if (equals == std::string_view::npos) return {option, std::nullopt};
  return {option.substr(0, equals), option.substr(equals + 1)};
}

/// Fills `RunArguments` one argument at a time.
class ArgumentReader {
 public:
  std::optional<ArgumentError> Read(std::string_view argument) {
    const std::string_view option = OptionText(argument);
    if (option.empty()) return ReadSourceFile(argument);
    auto [name, value] = SplitOption(option);
    if (name == "enable-check-profile" && !value) {
      parsed_.checkProfile = true;
      return std::nullopt;
    }
    if (name == "extra-arg" && value) {
      parsed_.extraArgs.emplace_back(*value);
      return std::nullopt;
    }
    for (auto& [known, slot] : SingleValued()) {
      if (name != known || !value) continue;
      if (slot->has_value()) return Error("the option -" + std::string(name) + " is given twice");
      *slot = std::string(*value);
      return std::nullopt;
    }
    return Error("unsupported argument '" + std::string(argument) + "'");
  }

  std::variant<RunArguments, ArgumentError> Finish() {
    if (parsed_.sourceFile.empty()) return Error("no source file given");
    return std::move(parsed_);
  }

 private:
  std::array<std::pair<std::string_view, std::optional<std::string>*>, 4> SingleValued() {
    return {{{"export-fixes", &parsed_.exportFixes},
             {"header-filter", &parsed_.headerFilter},
             {"checks", &parsed_.checks},
             {"config", &parsed_.config}}};
  }

  std::optional<ArgumentError> ReadSourceFile(std::string_view argument) {
    if (argument.empty()) return Error("an empty argument");
    if (!parsed_.sourceFile.empty()) {
      return Error("more than one source file ('" + parsed_.sourceFile + "' and '" + std::string(argument) +
                   "'); a run inspects one file");
    }
    parsed_.sourceFile = argument;
    return std::nullopt;
  }

  static ArgumentError Error(std::string message) { return ArgumentError{std::move(message)}; }

  RunArguments parsed_;
};

}  // namespace

std::variant<RunArguments, ArgumentError> ParseRunArguments(int argc, const char* const* argv) {
  if (argc < 1 || argv == nullptr) return ArgumentError{"no arguments"};
  ArgumentReader reader;
  for (int index = 1; index < argc; ++index) {
    if (argv[index] == nullptr) return ArgumentError{"argument " + std::to_string(index) + " is missing"};
    if (auto error = reader.Read(argv[index])) return *error;
  }
  return reader.Finish();
}

}  // namespace zoe
