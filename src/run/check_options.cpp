#include "run/check_options.h"

#include <map>
#include <vector>

namespace Quillfern::ZoCodeInspections::Native {

namespace {

using Items = std::vector<std::string>;

/// Option name to value, ordered by name as byte strings.
using OrderedOptions = std::map<std::string, std::string>;

constexpr std::string_view kSelectionPrefix = "-checks=";
constexpr std::string_view kOptionPrefix = "-checkoption-";
constexpr std::string_view kProfileArgument = "-profile";

/// What the plugin arguments of one command line ask of clang-tidy.
struct PluginRequest {
  std::string selection;
  OrderedOptions options;
  bool profile = false;
};

/// Separates the "-Xclang" payloads from the compiler's own arguments,
/// which go to the output as "-extra-arg=" arguments.
bool SplitCommandLine(const CommandLine& commandLine, Items& payloads, EngineArguments& output) {
  for (auto item = commandLine.begin(); item != commandLine.end(); ++item) {
    if (*item != "-Xclang") {
      output.push_back("-extra-arg=" + *item);
      continue;
    }
    if (++item == commandLine.end()) return false;
    payloads.push_back(*item);
  }
  return true;
}

/// Collects the arguments addressed to the plugin; loading the plugin needs
/// no translation, anything else is not understood.
bool CollectPluginArguments(const Items& payloads, Items& pluginArguments) {
  for (auto payload = payloads.begin(); payload != payloads.end(); ++payload) {
    if (*payload == "-add-plugin" || *payload == "clang-tidy") continue;
    if (*payload != "-plugin-arg-clang-tidy" || ++payload == payloads.end()) return false;
    pluginArguments.push_back(*payload);
  }
  return true;
}

bool ReadPluginArgument(const std::string& argument, PluginRequest& request) {
  if (argument.starts_with(kSelectionPrefix)) {
    if (!request.selection.empty()) request.selection += ',';
    request.selection += argument.substr(kSelectionPrefix.size());
    return true;
  }
  if (argument.starts_with(kOptionPrefix)) {
    const size_t equals = argument.find('=');
    if (equals == std::string::npos) return false;
    const size_t nameStart = kOptionPrefix.size();
    request.options[argument.substr(nameStart, equals - nameStart)] = argument.substr(equals + 1);
    return true;
  }
  if (argument == kProfileArgument) {
    request.profile = true;
    return true;
  }
  return false;
}

/// A YAML double-quoted scalar that reads back as exactly `text`: quotes and
/// backslashes are escaped, control characters written as "\xHH".
std::string Quoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted.append(1, '\\').append(1, c);
    } else if (byte < 0x20 || byte == 0x7F) {
      quoted.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 0xF]);
    } else {
      quoted.push_back(c);
    }
  }
  return quoted + "\"";
}

}  // namespace

std::string ConfigurationArgument(const std::map<std::string, std::string>& options) {
  std::string text = "-config={CheckOptions: [";
  const char* separator = "";
  for (const auto& [name, value] : options) {
    text.append(separator).append("{key: ").append(Quoted(name)).append(", value: ").append(Quoted(value)).append("}");
    separator = ", ";
  }
  return text + "], InheritParentConfig: true}";
}

bool IsOwnCheckOption(std::string_view name) { return name.find(kOwnOptionMarker) != std::string_view::npos; }

std::optional<EngineArguments> ProcessParameters(const CommandLine& commandLine, CheckOptions& checkOptions,
                                                 const OptionOverrides& overrides) {
  EngineArguments output;
  Items payloads;
  Items pluginArguments;
  PluginRequest request;
  if (!SplitCommandLine(commandLine, payloads, output) || !CollectPluginArguments(payloads, pluginArguments)) {
    return std::nullopt;
  }
  for (const std::string& argument : pluginArguments) {
    if (!ReadPluginArgument(argument, request)) return std::nullopt;
  }
  // The engine has no plugin argument for profiling; it takes its own flag.
  if (request.profile) output.emplace_front("-enable-check-profile");
  if (!request.selection.empty()) output.push_front(std::string(kSelectionPrefix) + request.selection);
  for (const auto& [name, value] : overrides) {
    checkOptions[name] = value;
    if (!IsOwnCheckOption(name)) request.options[name] = value;
  }
  if (!request.options.empty()) output.push_back(ConfigurationArgument(request.options));
  return output;
}

}  // namespace Quillfern::ZoCodeInspections::Native
