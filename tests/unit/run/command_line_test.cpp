// The compiler command line built from a parser's settings (the header test,
// the compatibility-version and language-standard tables), and the engine's
// arguments made from it with the configuration that carries check options.
#include "run/command_line.h"

#include <gmock/gmock.h>

#include "run/check_options.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Strings = std::vector<std::string>;

template <typename Arguments>
std::string Joined(const Arguments& arguments, const std::string& separator = " ") {
  std::string joined;
  for (const std::string& argument : arguments) joined += (joined.empty() ? "" : separator) + argument;
  return joined;
}

/// The arguments every line starts with.
std::string Leading(const std::string& checks) {
  return "-Xclang -add-plugin -Xclang clang-tidy -Xclang -plugin-arg-clang-tidy -Xclang -checks=" + checks +
         " -Wall -Wshadow -Wunused-variable -Wno-non-literal-null-conversion -Wno-inconsistent-missing-override "
         "-fexceptions -fms-extensions -fms-compatibility -fno-delayed-template-parsing -ferror-limit=1000 "
         "-D_ITERATOR_DEBUG_LEVEL=0 ";
}

InspectionSettings FullSettings() {
  InspectionSettings s;
  s.excludedFolders = {"C:\\Sdk\\Inc", "", "/usr/include/sys"};
  s.includeFolders = {"inc", "C:\\Project\\inc"};
  s.forcedIncludes = {"pch.h", ""};
  s.defines = {"NDEBUG", "", "VERSION=3"};
  s.additionalArguments = {"-Wextra", "", "-fno-rtti"};
  s.platformToolset = "v142";
  s.ideVersion = "16.4";
  s.profileChecks = s.target64Bit = true;
  s.languageStandard = 20;
  s.headerForcedInclude = "first.h";
  s.headerExtensions = {".h"};
  return s;
}

Strings StartingWith(const CommandLine& line, const std::string& prefix) {
  Strings found;
  for (const auto& argument : line) {
    if (argument.starts_with(prefix)) found.push_back(argument);
  }
  return found;
}

TEST(BuildCommandLine, EverySettingInItsPlace) {
  InspectionSettings c;
  c.compileAsC = true;
  c.platformToolset = "v140";
  // settings, checks, check options, the arguments after the leading ones
  const std::tuple<InspectionSettings, std::string, CheckOptions, std::string> cases[] = {
      {{}, "", {}, "-fcxx-exceptions -fms-compatibility-version=19.24 /TP -m32"},
      {c, "*", {}, "-fms-compatibility-version=19.0 /TC -m32"},
      {FullSettings(),
       "modernize-*,-x",
       {{"A.B", "1"}},
       "-fcxx-exceptions -fms-compatibility-version=19.24 /TP -std=c++2a -m64 -Xclang -plugin-arg-clang-tidy "
       "-Xclang -checkoption-A.B=1 -Wextra -fno-rtti -Xclang -plugin-arg-clang-tidy -Xclang -profile -DNDEBUG "
       "-DVERSION=3 -isystemC:\\Sdk\\Inc -isystem/usr/include/sys -Iinc -IC:\\Project\\inc -includepch.h"}};
  for (const auto& [settings, checks, options, tail] : cases) {
    EXPECT_EQ(Joined(BuildCommandLine("C:\\src\\main.cpp", settings, 0, checks, options).value()),
              Leading(checks) + tail);
  }
}

TEST(BuildCommandLine, OwnOptionsStayOutOfTheCompilersView) {
  const CheckOptions options{
      {"modernize-use-using.ZO.AllowArrays", "0"}, {"readability.ZO", "1"}, {"x.ZO.", "2"}, {"a.zo.b", "3"}};
  EXPECT_THAT(StartingWith(BuildCommandLine("main.cpp", {}, 0, "", options).value(), "-checkoption-"),
              testing::UnorderedElementsAre("-checkoption-readability.ZO=1", "-checkoption-a.zo.b=3"));
}

TEST(BuildCommandLine, HeaderNeedsPermissionAndOnlyAHeaderGetsItsForcedInclude) {
  InspectionSettings settings = FullSettings();
  const uint32_t allow = ModeFlags::allowHeaderFile;
  EXPECT_EQ(BuildCommandLine("inc\\A.H", settings, ~allow, "*", {}), std::nullopt);
  // Other mode flags change nothing.
  EXPECT_EQ(BuildCommandLine("main.cpp", settings, 0, "*", {}),
            BuildCommandLine("main.cpp", settings, ~allow, "*", {}));
  EXPECT_THAT(StartingWith(BuildCommandLine("inc\\A.H", settings, allow, "*", {}).value(), "-include"),
              testing::ElementsAre("-includefirst.h", "-includepch.h"));
  EXPECT_THAT(StartingWith(BuildCommandLine("main.cpp", settings, allow, "", {}).value(), "-include"),
              testing::ElementsAre("-includepch.h"));
  settings.headerForcedInclude.clear();
  EXPECT_THAT(StartingWith(BuildCommandLine("inc\\A.H", settings, allow, "*", {}).value(), "-include"),
              testing::ElementsAre("-includepch.h"));
}

TEST(IsHeaderFile, TheExtensionDecides) {
  // clang-format off
  const std::vector<std::tuple<std::string, bool, bool>> rows = {
      {"A.H", false, true}, {"c:\\x\\y.hpp", false, true}, {"main.cpp", true, false}, {"main.h.cpp", true, false},
      {"main.hh", false, false}, {"Makefile", true, true}, {"Makefile", false, false}, {"trailing.", false, false},
      {"", true, true},
      // a dot in a folder name is no extension; forward slashes do not separate (extension ".h/Makefile"), spaces do
      {"src\\inc.h\\Makefile", true, true}, {"src\\inc.h\\Makefile", false, false},
      {"src/inc.h/Makefile", true, false}, {"my.h file", true, true},
      // paths of 512 or more characters are never headers
      {std::string(509, 'a') + ".h", false, true}, {std::string(510, 'a') + ".h", true, false}};
  // clang-format on
  InspectionSettings settings;
  settings.headerExtensions = {"", ".h", ".HPP", ".inl"};
  for (const auto& [path, extensionless, header] : rows) {
    settings.extensionlessIsHeader = extensionless;
    EXPECT_EQ(IsHeaderFile(path, settings), header) << path << " " << extensionless;
  }
  EXPECT_TRUE(BuildCommandLine(std::string(600, 'a') + ".h", settings, 0, "", {}).has_value());
}

TEST(CompilerVersions, CommandLineCarriesTheTablesVersionAndStandard) {
  // toolset, IDE version, language standard, the compatibility version, the standard argument's (if any)
  // clang-format off
  const std::tuple<std::string, std::string, int32_t, std::string, std::string> rows[] = {
      // unknown or malformed toolsets take the default version
      {"", "16.4", 0, "19.24", ""}, {"vNext", "16.0", 0, "19.24", ""}, {"v99999999999", "", 0, "19.24", ""},
      {"141", "15.5", 0, "19.24", ""},
      {"v139", "15.9", 99, "18", ""}, {"V140", "15.1", 99, "19.0", "c++17"}, {"v143", "16.0", 99, "19.24", "c++2a"},
      {"v142", "16.11", 99, "19.25", "c++2a"},  // the first toolset whose latest standard is C++20
      // minor versions: first, last, past the last; unreadable ones are unknown, never an error
      {"v141", "15.0", 20, "19.10", "c++2a"}, {"v141", "15.10", 14, "19.16", "c++14"},
      {"v141", "15.2", 0, "19.10", "c++17"}, {"v141", "15.3", 0, "19.11", "c++17"},
      {"v 141", " 15.5.2", 0, "19.12", "c++17"}, {"v141", "15", 0, "19.24", "c++17"},
      {"v142", "16.11", 3, "19.25", "c++17"}, {"v142", "16.-2", 0, "19.25", "c++17"},
      {"v142", "16.x", 0, "19.24", "c++17"}, {"v141", "15.99999999999", 0, "19.24", "c++17"},
      // the toolset's default standard, also for values that are no standard
      {"v120", "", 0, "18", "c++14"}, {"v100", "", 0, "18", "c++11"}, {"v99", "", 0, "18", ""},
      {"v90", "", 14, "18", "c++14"}, {"v90", "", 11, "18", "c++11"}, {"v90", "", 17, "18", "c++17"}};
  // clang-format on
  for (const auto& [toolset, ideVersion, standard, version, argument] : rows) {
    InspectionSettings settings;
    settings.platformToolset = toolset;
    settings.ideVersion = ideVersion;
    settings.languageStandard = standard;
    const CommandLine line = BuildCommandLine("main.cpp", settings, 0, "", {}).value();
    EXPECT_EQ(Joined(StartingWith(line, "-fms-compatibility-version=")), "-fms-compatibility-version=" + version)
        << toolset << " " << ideVersion << " " << standard;
    EXPECT_EQ(Joined(StartingWith(line, "-std=")), argument.empty() ? "" : "-std=" + argument) << toolset << standard;
  }
}

/// The engine's arguments for a plugin-form line (compiler arguments with
/// the given plugin arguments), joined by " | ".
std::string Processed(const Strings& pluginArguments, CheckOptions& options, const OptionOverrides& overrides = {}) {
  CommandLine line{"-Xclang", "-add-plugin", "-Xclang", "clang-tidy", "-Wall"};
  for (const std::string& argument : pluginArguments) {
    line.insert(line.end(), {"-Xclang", "-plugin-arg-clang-tidy", "-Xclang", argument});
  }
  line.push_back("/TP");
  return Joined(ProcessParameters(line, options, overrides).value(), " | ");
}

std::string Config(const std::string& entries) {
  return " | -config={CheckOptions: [" + entries + "], InheritParentConfig: true}";
}

TEST(ProcessParameters, PluginArgumentsBecomeSelectionsAndAConfigurationInByteOrder) {
  const std::string tail = "-extra-arg=-Wall | -extra-arg=/TP";
  // clang-format off
  const std::pair<Strings, std::string> cases[] = {
      {{}, tail}, {{"-checks=a", "-checks=b"}, "-checks=a,b | " + tail}, {{"-checks="}, tail},
      // an empty first selection adds no separator, a later empty one does
      {{"-checks=", "-checks=b", "-checks="}, "-checks=b, | " + tail},
      // profiling becomes the engine's flag, after the selection
      {{"-profile", "-checks=a"}, "-checks=a | -enable-check-profile | " + tail},
      // the value is everything after the first equals sign
      {{"-checkoption-A=b=c"}, tail + Config(R"({key: "A", value: "b=c"})")},
      {{"-checkoption-=v", "-checkoption-K="}, tail + Config(R"({key: "", value: "v"}, {key: "K", value: ""})")},
      {{"-checkoption-B.x=2", "-checkoption-A.y=3", "-checkoption-a.z=4", "-checkoption-\xC3\xA9.w=5", "-checkoption-A=6"},
       tail + Config(R"({key: "A", value: "6"}, {key: "A.y", value: "3"}, {key: "B.x", value: "2"}, )"
                     "{key: \"a.z\", value: \"4\"}, {key: \"\xC3\xA9.w\", value: \"5\"}")}};
  // clang-format on
  for (const auto& [pluginArguments, expected] : cases) {
    CheckOptions options;
    EXPECT_EQ(Processed(pluginArguments, options), expected);
  }
  CheckOptions options;
  EXPECT_THAT(ProcessParameters({}, options, {}).value(), testing::ElementsAre());
}

// Overrides reach the configuration and the options; the library's own
// options alone add no configuration.
TEST(ProcessParameters, OverridesReachTheConfigurationAndTheOptions) {
  CheckOptions options{{"A.x", "1"}, {"B.y", "2"}, {"C.ZO.z", "3"}};
  const OptionOverrides overrides{{"B.y", "20"}, {"D.w", "40"}, {"C.ZO.z", "30"}, {"E.ZO.v", "5"}};
  EXPECT_EQ(Processed({"-checkoption-A.x=1", "-checkoption-B.y=2"}, options, overrides),
            "-extra-arg=-Wall | -extra-arg=/TP" +
                Config(R"({key: "A.x", value: "1"}, {key: "B.y", value: "20"}, {key: "D.w", value: "40"})"));
  EXPECT_EQ(options, (CheckOptions{{"A.x", "1"}, {"B.y", "20"}, {"C.ZO.z", "30"}, {"D.w", "40"}, {"E.ZO.v", "5"}}));
  CheckOptions own;
  EXPECT_EQ(Processed({"-checks=*"}, own, {{"x.ZO.y", "0"}}), "-checks=* | -extra-arg=-Wall | -extra-arg=/TP");
  EXPECT_EQ(own, (CheckOptions{{"x.ZO.y", "0"}}));
}

TEST(ProcessParameters, MalformedLinesGiveNoResultAndLeaveTheOptionsAlone) {
  const std::vector<CommandLine> malformed = {
      {"-Wall", "-Xclang"},                                                   // dangling -Xclang
      {"-Xclang", "-plugin-arg-clang-tidy"},                                  // dangling plugin argument
      {"-Xclang", "-fno-color-diagnostics"},                                  // unknown payload
      {"-Xclang", "-plugin-arg-clang-tidy", "-Xclang", "-header-filter=.*"},  // unknown argument
      {"-Xclang", "-plugin-arg-clang-tidy", "-Xclang", "-checkoption-A.B"},   // option without =
      {"-Xclang", "-plugin-arg-clang-tidy", "-Xclang", "-Checks=*"},          // case matters
  };
  for (const CommandLine& line : malformed) {
    CheckOptions options{{"A", "1"}};
    EXPECT_EQ(ProcessParameters(line, options, {{"B", "2"}}), std::nullopt) << line.back();
    EXPECT_EQ(options, (CheckOptions{{"A", "1"}}));
  }
}

TEST(ConfigurationArgument, QuotesNamesAndValuesSoThatTheyReadBackAsWritten) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"MYNULL,OTHER", R"("MYNULL,OTHER")"}, {"a: b", R"("a: b")"}, {"^[a-z]{1,2}$", R"("^[a-z]{1,2}$")"},
      {"", R"("")"}, {"'x' #y", R"("'x' #y")"}, {R"(say "hi" \ bye)", R"("say \"hi\" \\ bye")"},
      {"tab\tline\n\x7F\x1F", R"("tab\x09line\x0A\x7F\x1F")"}, {"\xC3\xA9t\xC3\xA9", "\"\xC3\xA9t\xC3\xA9\""}};
  // clang-format on
  for (const auto& [value, quoted] : cases) {
    EXPECT_EQ(" | " + ConfigurationArgument({{value, value}}), Config("{key: " + quoted + ", value: " + quoted + "}"));
  }
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
