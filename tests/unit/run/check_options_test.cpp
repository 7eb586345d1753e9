// The compiler command line turned into the engine's arguments, and the
// configuration argument that carries check options.
#include "run/check_options.h"

#include <gmock/gmock.h>

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;

/// A plugin-form line: compiler arguments with the given plugin arguments.
CommandLine PluginLine(const std::vector<std::string>& pluginArguments) {
  CommandLine line{"-Xclang", "-add-plugin", "-Xclang", "clang-tidy", "-Wall"};
  for (const std::string& argument : pluginArguments) {
    line.insert(line.end(), {"-Xclang", "-plugin-arg-clang-tidy", "-Xclang", argument});
  }
  line.push_back("/TP");
  return line;
}

/// The configuration argument holding `entries`.
std::string Config(const std::string& entries) {
  return "-config={CheckOptions: [" + entries + "], InheritParentConfig: true}";
}

TEST(ProcessParameters, PluginArgumentsBecomeSelectionsAndAConfigurationInByteOrder) {
  const std::string wall = "-extra-arg=-Wall";
  const std::string tp = "-extra-arg=/TP";
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{}, {wall, tp}},
      {{"-checks=a", "-checks=b"}, {"-checks=a,b", wall, tp}},
      {{"-checks="}, {wall, tp}},
      // an empty first selection adds no separator, a later empty one does
      {{"-checks=", "-checks=b", "-checks="}, {"-checks=b,", wall, tp}},
      // profiling becomes the engine's flag, after the selection
      {{"-profile", "-checks=a"}, {"-checks=a", "-enable-check-profile", wall, tp}},
      // the value is everything after the first equals sign
      {{"-checkoption-A=b=c"}, {wall, tp, Config(R"({key: "A", value: "b=c"})")}},
      {{"-checkoption-=v", "-checkoption-K="}, {wall, tp, Config(R"({key: "", value: "v"}, {key: "K", value: ""})")}},
      {{"-checkoption-B.x=2", "-checkoption-A.y=3", "-checkoption-a.z=4", "-checkoption-\xC3\xA9.w=5",
        "-checkoption-A=6"},
       {wall, tp,
        Config(R"({key: "A", value: "6"}, {key: "A.y", value: "3"}, {key: "B.x", value: "2"}, )"
               "{key: \"a.z\", value: \"4\"}, {key: \"\xC3\xA9.w\", value: \"5\"}")}}};
  for (const auto& [pluginArguments, expected] : cases) {
    CheckOptions options;
    EXPECT_THAT(ProcessParameters(PluginLine(pluginArguments), options, {}).value(), ElementsAreArray(expected));
  }
  CheckOptions options;
  EXPECT_THAT(ProcessParameters({}, options, {}).value(), ElementsAre());
}

TEST(ProcessParameters, OverridesReachTheConfigurationAndTheOptions) {
  CheckOptions options{{"A.x", "1"}, {"B.y", "2"}, {"C.ZO.z", "3"}};
  const OptionOverrides overrides{{"B.y", "20"}, {"D.w", "40"}, {"C.ZO.z", "30"}, {"E.ZO.v", "5"}};
  EXPECT_EQ(ProcessParameters(PluginLine({"-checkoption-A.x=1", "-checkoption-B.y=2"}), options, overrides)->back(),
            Config(R"({key: "A.x", value: "1"}, {key: "B.y", value: "20"}, {key: "D.w", value: "40"})"));
  EXPECT_EQ(options, (CheckOptions{{"A.x", "1"}, {"B.y", "20"}, {"C.ZO.z", "30"}, {"D.w", "40"}, {"E.ZO.v", "5"}}));
  // The library's own options alone add no configuration.
  CheckOptions own;
  EXPECT_THAT(ProcessParameters(PluginLine({"-checks=*"}), own, {{"x.ZO.y", "0"}}).value(),
              ElementsAre("-checks=*", "-extra-arg=-Wall", "-extra-arg=/TP"));
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
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"MYNULL,OTHER", R"("MYNULL,OTHER")"},
      {"a: b", R"("a: b")"},
      {"^[a-z]{1,2}$", R"("^[a-z]{1,2}$")"},
      {"", R"("")"},
      {"'x' #y", R"("'x' #y")"},
      {R"(say "hi" \ bye)", R"("say \"hi\" \\ bye")"},
      {"tab\tline\n\x7F\x1F", R"("tab\x09line\x0A\x7F\x1F")"},
      {"\xC3\xA9t\xC3\xA9", "\"\xC3\xA9t\xC3\xA9\""}};
  for (const auto& [value, quoted] : cases) {
    EXPECT_EQ(ConfigurationArgument({{value, value}}), Config("{key: " + quoted + ", value: " + quoted + "}")) << value;
  }
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
