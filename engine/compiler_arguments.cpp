#include "compiler_arguments.h"

#include <string_view>

namespace zoe {

namespace {

#if defined(_WIN32)
constexpr bool kTranslateMsvcArguments = false;
#else
constexpr bool kTranslateMsvcArguments = true;
#endif

struct Translation {
  std::string_view argument;
  std::string_view replacement;  ///< empty: dropped
};

constexpr Translation kExact[] = {
    {"/TP", "-xc++"},
    {"/TC", "-xc"},
    {"-fms-compatibility", ""},
    {"-m32", ""},
};

constexpr std::string_view kDroppedPrefix = "-fms-compatibility-version=";

/// One argument translated for this host's driver: nothing, or its
/// replacement.
std::vector<std::string> TranslateArgument(const std::string& argument) {
  if (!kTranslateMsvcArguments) return {argument};
  for (const Translation& translation : kExact) {
    if (argument != translation.argument) continue;
    if (translation.replacement.empty()) return {};
    return {std::string(translation.replacement)};
  }
  if (std::string_view(argument).starts_with(kDroppedPrefix)) return {};
  return {argument};
}

}  // namespace

std::vector<std::string> DriverCommandLine(const std::vector<std::string>& compilerArgs,
                                           const std::string& sourceFile) {
  // The driver's name decides its mode; the clang-tidy binary names it the
  // same way, next to the LLVM tools, which also places its resource folder.
  std::vector<std::string> commandLine{ZOE_DRIVER_PATH};
  for (const std::string& argument : compilerArgs) {
    for (std::string& translated : TranslateArgument(argument)) {
      commandLine.push_back(std::move(translated));
    }
  }
  commandLine.push_back(sourceFile);
  return commandLine;
}

}  // namespace zoe
