#include "run/command_line.h"

#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "run/check_options.h"
#include "run/compiler_versions.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// Paths this long do not fit the fixed buffer the header test works in.
constexpr size_t kHeaderTestBufferSize = 512;

/// Appends the four arguments that hand `pluginArgument` to clang-tidy.
void AppendPluginArgument(CommandLine& line, std::string pluginArgument) {
  line.insert(line.end(), {"-Xclang", "-plugin-arg-clang-tidy", "-Xclang"});
  line.push_back(std::move(pluginArgument));
}

/// Appends `prefix` + entry, as one argument, for each non-empty entry.
void AppendJoined(CommandLine& line, std::string_view prefix, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    if (!entry.empty()) line.push_back(std::string(prefix) + entry);
  }
}

/// Loads clang-tidy with the selection, plus the warnings and compatibility
/// flags every inspection uses.
void AppendLeadingArguments(CommandLine& line, const std::string& checks) {
  line.insert(line.end(), {"-Xclang", "-add-plugin", "-Xclang", "clang-tidy"});
  AppendPluginArgument(line, "-checks=" + checks);
  line.insert(line.end(), {
                              "-Wall",
                              "-Wshadow",
                              "-Wunused-variable",
                              "-Wno-non-literal-null-conversion",
                              "-Wno-inconsistent-missing-override",
                              "-fexceptions",
                              "-fms-extensions",
                              "-fms-compatibility",
                              "-fno-delayed-template-parsing",
                              "-ferror-limit=1000",
                              "-D_ITERATOR_DEBUG_LEVEL=0",
                          });
}

/// Language mode, compatibility version, standard and target width.
void AppendLanguageArguments(CommandLine& line, const InspectionSettings& settings) {
  const std::optional<int32_t> toolset = ToolsetNumber(settings.platformToolset);
  if (!settings.compileAsC) line.emplace_back("-fcxx-exceptions");
  line.push_back("-fms-compatibility-version=" + MsvcCompatibilityVersion(toolset, settings.ideVersion));
  line.emplace_back(settings.compileAsC ? "/TC" : "/TP");
  if (!settings.compileAsC) {
    if (auto standard = LanguageStandardArgument(settings.languageStandard, toolset.value_or(0))) {
      line.push_back(std::move(*standard));
    }
  }
  line.emplace_back(settings.target64Bit ? "-m64" : "-m32");
}

/// Check options for clang-tidy; the library's own stay out of its view.
void AppendCheckOptions(CommandLine& line, const CheckOptions& checkOptions) {
  for (const auto& [name, value] : checkOptions) {
    if (IsOwnCheckOption(name)) continue;
    std::string argument = "-checkoption-" + name;
    argument.append("=").append(value);
    AppendPluginArgument(line, std::move(argument));
  }
}

}  // namespace

bool IsHeaderFile(const std::string& path, const InspectionSettings& settings) {
  if (path.size() >= kHeaderTestBufferSize) return false;
  const char* extension = Platform::PathFindExtension(path.c_str());
  if (*extension == '\0') return settings.extensionlessIsHeader;
  for (const std::string& headerExtension : settings.headerExtensions) {
    if (!headerExtension.empty() && Platform::StrICmp(extension, headerExtension.c_str()) == 0) {
      return true;
    }
  }
  return false;
}

std::optional<CommandLine> BuildCommandLine(const std::string& path, const InspectionSettings& settings,
                                            uint32_t modeFlags, const std::string& checks,
                                            const CheckOptions& checkOptions) {
  CommandLine line;
  AppendLeadingArguments(line, checks);
  AppendLanguageArguments(line, settings);
  AppendCheckOptions(line, checkOptions);
  AppendJoined(line, "", settings.additionalArguments);
  if (settings.profileChecks) AppendPluginArgument(line, "-profile");
  AppendJoined(line, "-D", settings.defines);
  AppendJoined(line, "-isystem", settings.excludedFolders);
  AppendJoined(line, "-I", settings.includeFolders);
  if (IsHeaderFile(path, settings)) {
    if ((modeFlags & ModeFlags::allowHeaderFile) == 0) return std::nullopt;
    if (!settings.headerForcedInclude.empty()) {
      line.push_back("-include" + settings.headerForcedInclude);
    }
  }
  AppendJoined(line, "-include", settings.forcedIncludes);
  return line;
}

}  // namespace Quillfern::ZoCodeInspections::Native
