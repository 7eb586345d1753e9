// The compatibility-version and language-standard tables, checked through the
// command line that carries them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "run/command_line.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

/// Every argument of `line` that starts with `prefix`.
std::vector<std::string> ArgumentsStartingWith(const CommandLine& line, const std::string& prefix) {
  std::vector<std::string> found;
  std::copy_if(line.begin(), line.end(), std::back_inserter(found),
               [&](const std::string& argument) { return argument.starts_with(prefix); });
  return found;
}

CommandLine LineFor(const InspectionSettings& settings) {
  return BuildCommandLine("main.cpp", settings, 0, "", {}).value();
}

struct VersionRow {
  const char* toolset;
  const char* ideVersion;
  const char* expected;
};

class MsvcCompatibilityVersionTest : public testing::TestWithParam<VersionRow> {};

TEST_P(MsvcCompatibilityVersionTest, CommandLineCarriesTheTablesVersion) {
  InspectionSettings settings;
  settings.platformToolset = GetParam().toolset;
  settings.ideVersion = GetParam().ideVersion;
  EXPECT_EQ(ArgumentsStartingWith(LineFor(settings), "-fms-compatibility-version="),
            std::vector<std::string>{std::string("-fms-compatibility-version=") + GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(
    UnknownToolset, MsvcCompatibilityVersionTest,
    testing::Values(VersionRow{"", "16.4", "19.24"}, VersionRow{"x142", "16.0", "19.24"},
                    VersionRow{"142", "16.0", "19.24"},
                    // malformed numbers count as an unknown toolset
                    VersionRow{"v", "16.0", "19.24"}, VersionRow{"vNext", "16.0", "19.24"},
                    VersionRow{"v99999999999", "16.0", "19.24"}));

INSTANTIATE_TEST_SUITE_P(
    OlderAndNewerToolsets, MsvcCompatibilityVersionTest,
    testing::Values(VersionRow{"v120", "16.4", "18"}, VersionRow{"v90", "", "18"},
                    VersionRow{"v-5", "", "18"}, VersionRow{"v139", "15.9", "18"},
                    VersionRow{"v140", "16.4", "19.0"}, VersionRow{"V140", "15.1", "19.0"},
                    VersionRow{"v140_xp", "", "19.0"}, VersionRow{"v143", "17.0", "19.24"},
                    VersionRow{"v143", "16.0", "19.24"}));

INSTANTIATE_TEST_SUITE_P(
    Toolset141, MsvcCompatibilityVersionTest,
    // the first, a middle and the last minor version, then past the last
    testing::Values(VersionRow{"v141", "15.0", "19.10"}, VersionRow{"v141", "15.5", "19.12"},
                    VersionRow{"v141", "15.9", "19.16"}, VersionRow{"v141", "15.10", "19.16"}, VersionRow{"v141", "15.-1", "19.16"},
                    VersionRow{"V141_xp", "15.3", "19.11"}, VersionRow{"v 141", " 15.5.2", "19.12"},
                    VersionRow{"v141", "16.4", "19.24"}, VersionRow{"v141", "15", "19.24"},
                    VersionRow{"v141", "", "19.24"}));

INSTANTIATE_TEST_SUITE_P(
    Toolset142, MsvcCompatibilityVersionTest,
    testing::Values(VersionRow{"v142", "16.0", "19.20"}, VersionRow{"v142", "16.3", "19.23"},
                    VersionRow{"V142", "16.4", "19.24"}, VersionRow{"v142", "16.5", "19.25"},
                    VersionRow{"v142", "16.11", "19.25"}, VersionRow{"v142", "16.-2", "19.25"},
                    VersionRow{"v142", "15.9", "19.24"}, VersionRow{"v142", "16", "19.24"}));

// A version the runtime cannot read is an unknown version, never an error.
INSTANTIATE_TEST_SUITE_P(
    MalformedIdeVersion, MsvcCompatibilityVersionTest,
    testing::Values(VersionRow{"v142", "sixteen.4", "19.24"}, VersionRow{"v142", "16.x", "19.24"},
                    VersionRow{"v142", "16.", "19.24"}, VersionRow{"v141", "15.99999999999", "19.24"},
                    VersionRow{"v141", "99999999999.1", "19.24"}));

struct StandardRow {
  int32_t languageStandard;
  const char* toolset;
  const char* expected;  ///< empty when no standard argument is expected
};

class LanguageStandardTest : public testing::TestWithParam<StandardRow> {};

TEST_P(LanguageStandardTest, CommandLineCarriesTheTablesStandard) {
  InspectionSettings settings;
  settings.languageStandard = GetParam().languageStandard;
  settings.platformToolset = GetParam().toolset;
  const std::string expected = GetParam().expected;
  EXPECT_EQ(ArgumentsStartingWith(LineFor(settings), "-std="),
            expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected});
}

INSTANTIATE_TEST_SUITE_P(
    ExplicitStandards, LanguageStandardTest,
    testing::Values(StandardRow{11, "v142", "-std=c++11"}, StandardRow{14, "v90", "-std=c++14"},
                    StandardRow{17, "", "-std=c++17"}, StandardRow{20, "v141", "-std=c++2a"}));

INSTANTIATE_TEST_SUITE_P(
    Latest, LanguageStandardTest,
    testing::Values(StandardRow{99, "v143", "-std=c++2a"}, StandardRow{99, "v142", "-std=c++2a"},
                    StandardRow{99, "v141", "-std=c++17"}, StandardRow{99, "v140", "-std=c++17"},
                    StandardRow{99, "v139", ""}, StandardRow{99, "v120", ""},
                    StandardRow{99, "", ""}));

INSTANTIATE_TEST_SUITE_P(
    ToolsetDefault, LanguageStandardTest,
    testing::Values(StandardRow{0, "v142", "-std=c++17"}, StandardRow{0, "v141", "-std=c++17"},
                    StandardRow{0, "v140", "-std=c++14"}, StandardRow{0, "v120", "-std=c++14"},
                    StandardRow{0, "v119", "-std=c++11"}, StandardRow{0, "v110", "-std=c++11"},
                    StandardRow{0, "v100", "-std=c++11"}, StandardRow{0, "v99", ""},
                    StandardRow{0, "v90", ""}, StandardRow{0, "", ""}, StandardRow{0, "v", ""},
                    StandardRow{3, "v142", "-std=c++17"}, StandardRow{-1, "v140", "-std=c++14"}));

TEST(LanguageStandard, CFilesGetNoStandardAndNoCppExceptions) {
  InspectionSettings settings;
  settings.compileAsC = true;
  settings.languageStandard = 17;
  settings.platformToolset = "v142";
  const CommandLine line = LineFor(settings);
  EXPECT_TRUE(ArgumentsStartingWith(line, "-std=").empty());
  EXPECT_TRUE(ArgumentsStartingWith(line, "-fcxx-exceptions").empty());
  EXPECT_EQ(ArgumentsStartingWith(line, "/T"), std::vector<std::string>{"/TC"});
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
