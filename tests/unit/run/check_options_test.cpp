#include "run/check_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/command_line.h"

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

TEST(ProcessParameters, PluginArgumentsBecomeSelectionsAndAConfigurationInByteOrder) {
  const std::string wall = "-extra-arg=-Wall";
  const std::string tp = "-extra-arg=/TP";
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{}, {wall, tp}},
      {{"-checks=a", "-checks=b"}, {"-checks=a,b", wall, tp}},
      {{"-checks="}, {wall, tp}},
      // an empty first selection adds no separator, a later empty one does
      {{"-checks=", "-checks=b", "-checks="}, {"-checks=b,", wall, tp}},
      // the value is everything after the first equals sign
      {{"-checkoption-A=b=c"},
       {wall, tp, "-config={CheckOptions: [{key: \"A\", value: \"b=c\"}], InheritParentConfig: true}"}},
      {{"-checkoption-=v", "-checkoption-K="},
       {wall, tp,
        "-config={CheckOptions: [{key: \"\", value: \"v\"}, {key: \"K\", value: \"\"}], "
        "InheritParentConfig: true}"}},
      {{"-checkoption-B.x=2", "-checkoption-A.y=3", "-checkoption-a.z=4", "-checkoption-\xC3\xA9.w=5",
        "-checkoption-A=6"},
       {wall, tp,
        "-config={CheckOptions: [{key: \"A\", value: \"6\"}, {key: \"A.y\", value: \"3\"}, "
        "{key: \"B.x\", value: \"2\"}, {key: \"a.z\", value: \"4\"}, {key: \"\xC3\xA9.w\", value: \"5\"}], "
        "InheritParentConfig: true}"}},
  };
  for (const auto& [pluginArguments, expected] : cases) {
    CheckOptions options;
    EXPECT_THAT(ProcessParameters(PluginLine(pluginArguments), options, {}).value(), ElementsAreArray(expected));
  }
  CheckOptions options;
  EXPECT_THAT(ProcessParameters({}, options, {}).value(), ElementsAre());
}

TEST(ProcessParameters, ProfilingBecomesTheEnginesFlag) {
  InspectionSettings settings;
  settings.profileChecks = true;
  CheckOptions options;
  const CommandLine line = BuildCommandLine("main.cpp", settings, 0, "a-*", options).value();
  const auto arguments = ProcessParameters(line, options, {});
  ASSERT_TRUE(arguments.has_value());
  EXPECT_EQ(arguments->front(), "-checks=a-*");
  EXPECT_EQ(*std::next(arguments->begin()), "-enable-check-profile");
  EXPECT_EQ(std::count(arguments->begin(), arguments->end(), "-enable-check-profile"), 1);
  EXPECT_EQ(arguments->back(), "-extra-arg=-m32");
}

TEST(ProcessParameters, OverridesReachTheConfigurationAndTheOptions) {
  CheckOptions options{{"A.x", "1"}, {"B.y", "2"}, {"C.ZO.z", "3"}};
  const OptionOverrides overrides{{"B.y", "20"}, {"D.w", "40"}, {"C.ZO.z", "30"}, {"E.ZO.v", "5"}};
  const auto arguments =
      ProcessParameters(PluginLine({"-checkoption-A.x=1", "-checkoption-B.y=2"}), options, overrides);
  ASSERT_TRUE(arguments.has_value());
  EXPECT_EQ(arguments->back(),
            "-config={CheckOptions: [{key: \"A.x\", value: \"1\"}, {key: \"B.y\", value: \"20\"}, "
            "{key: \"D.w\", value: \"40\"}], InheritParentConfig: true}");
  EXPECT_EQ(options, (CheckOptions{{"A.x", "1"}, {"B.y", "20"}, {"C.ZO.z", "30"}, {"D.w", "40"}, {"E.ZO.v", "5"}}));
  // The library's own options alone add no configuration.
  CheckOptions own;
  EXPECT_THAT(ProcessParameters(PluginLine({"-checks=*"}), own, {{"x.ZO.y", "0"}}).value(),
              ElementsAre("-checks=*", "-extra-arg=-Wall", "-extra-arg=/TP"));
  EXPECT_EQ(own, (CheckOptions{{"x.ZO.y", "0"}}));
}

TEST(ConfigurationArgument, QuotesNamesAndValuesSoThatTheyReadBackAsWritten) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"MYNULL,OTHER", R"("MYNULL,OTHER")"},
      {"a: b", R"("a: b")"},
      {"^[a-z]{1,2}$", R"("^[a-z]{1,2}$")"},
      {"", R"("")"},
      {"-", R"("-")"},
      {"'x' #y", R"("'x' #y")"},
      {R"(say "hi" \ bye)", R"("say \"hi\" \\ bye")"},
      {"tab\tline\n\x7F", R"("tab\x09line\x0A\x7F")"},
      {"\xC3\xA9t\xC3\xA9", "\"\xC3\xA9t\xC3\xA9\""},
  };
  for (const auto& [value, quoted] : cases) {
    EXPECT_EQ(ConfigurationArgument({{"k", value}}),
              "-config={CheckOptions: [{key: \"k\", value: " + quoted + "}], InheritParentConfig: true}")
        << value;
  }
  EXPECT_EQ(ConfigurationArgument({{"a: b", "1"}}),
            R"(-config={CheckOptions: [{key: "a: b", value: "1"}], InheritParentConfig: true})");
}

TEST(ProcessParameters, MalformedLinesGiveNoResultAndLeaveTheOptionsAlone) {
  const std::vector<CommandLine> malformed = {
      {"-Wall", "-Xclang"},                                  // dangling -Xclang
      {"-Xclang", "-plugin-arg-clang-tidy"},                 // dangling plugin argument
      {"-Xclang", "-load", "-Xclang", "x.so"},               // unknown payload
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

TEST(ProcessParameters, AdditionalXclangArgumentIsRefusedUnlessKnown) {
  InspectionSettings settings;
  settings.additionalArguments = {"-Xclang", "-fno-color-diagnostics"};
  CheckOptions options;
  CommandLine line = BuildCommandLine("main.cpp", settings, 0, "*", options).value();
  EXPECT_EQ(ProcessParameters(line, options, {}), std::nullopt);

  settings.additionalArguments = {"-Xclang", "clang-tidy"};
  line = BuildCommandLine("main.cpp", settings, 0, "*", options).value();
  EXPECT_TRUE(ProcessParameters(line, options, {}).has_value());
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
