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

TEST(MsvcCompatibilityVersion, CommandLineCarriesTheTablesVersion) {
  const std::vector<VersionRow> rows = {
      // unknown or malformed toolsets take the default
      {"", "16.4", "19.24"},
      {"vNext", "16.0", "19.24"},
      {"v99999999999", "16.0", "19.24"},
      {"v139", "15.9", "18"},
      {"V140", "15.1", "19.0"},
      {"v143", "16.0", "19.24"},
      // minor versions: first, last, past the last; unreadable ones are unknown, never an error
      {"v141", "15.0", "19.10"},
      {"v141", "15.10", "19.16"},
      {"v 141", " 15.5.2", "19.12"},
      {"v141", "15", "19.24"},
      {"v142", "16.11", "19.25"},
      {"v142", "16.-2", "19.25"},
      {"v142", "16.x", "19.24"},
      {"v141", "15.99999999999", "19.24"},
  };
  for (const VersionRow& row : rows) {
    InspectionSettings settings;
    settings.platformToolset = row.toolset;
    settings.ideVersion = row.ideVersion;
    EXPECT_EQ(ArgumentsStartingWith(LineFor(settings), "-fms-compatibility-version="),
              std::vector<std::string>{std::string("-fms-compatibility-version=") + row.expected})
        << row.toolset << " " << row.ideVersion;
  }
}

struct StandardRow {
  int32_t languageStandard;
  const char* toolset;
  const char* expected;  ///< empty when no standard argument is expected
};

TEST(LanguageStandard, CommandLineCarriesTheTablesStandard) {
  const std::vector<StandardRow> rows = {
      {14, "v90", "-std=c++14"},
      {20, "v141", "-std=c++2a"},
      // the latest the toolset knows
      {99, "v142", "-std=c++2a"},
      {99, "v140", "-std=c++17"},
      {99, "v139", ""},
      // the toolset's default, also for values that are no standard
      {0, "v141", "-std=c++17"},
      {0, "v120", "-std=c++14"},
      {0, "v100", "-std=c++11"},
      {0, "v99", ""},
      {3, "v142", "-std=c++17"},
  };
  for (const StandardRow& row : rows) {
    InspectionSettings settings;
    settings.languageStandard = row.languageStandard;
    settings.platformToolset = row.toolset;
    const std::string expected = row.expected;
    EXPECT_EQ(ArgumentsStartingWith(LineFor(settings), "-std="),
              expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected})
        << row.languageStandard << " " << row.toolset;
  }
}

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
