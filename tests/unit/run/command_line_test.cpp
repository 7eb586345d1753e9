// The compiler command line built from a parser's settings, the header test,
// and the compatibility-version and language-standard tables it carries.
#include "run/command_line.h"

#include <gmock/gmock.h>

#include <sstream>

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using Strings = std::vector<std::string>;

/// The words of `text`, split at spaces.
Strings Words(const std::string& text) {
  Strings words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

/// The arguments every line starts with.
Strings Leading(const std::string& checks) {
  return Words("-Xclang -add-plugin -Xclang clang-tidy -Xclang -plugin-arg-clang-tidy -Xclang -checks=" + checks +
               " -Wall -Wshadow -Wunused-variable -Wno-non-literal-null-conversion "
               "-Wno-inconsistent-missing-override -fexceptions -fms-extensions -fms-compatibility "
               "-fno-delayed-template-parsing -ferror-limit=1000 -D_ITERATOR_DEBUG_LEVEL=0");
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

/// Every argument of `line` that starts with `prefix`.
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
  struct Case {
    InspectionSettings settings;
    std::string checks;
    CheckOptions options;
    std::string tail;  ///< after the leading arguments
  };
  const Case cases[] = {
      {{}, "", {}, "-fcxx-exceptions -fms-compatibility-version=19.24 /TP -m32"},
      {c, "*", {}, "-fms-compatibility-version=19.0 /TC -m32"},
      {FullSettings(),
       "modernize-*,-x",
       {{"A.B", "1"}},
       "-fcxx-exceptions -fms-compatibility-version=19.24 /TP -std=c++2a -m64 -Xclang -plugin-arg-clang-tidy "
       "-Xclang -checkoption-A.B=1 -Wextra -fno-rtti -Xclang -plugin-arg-clang-tidy -Xclang -profile -DNDEBUG "
       "-DVERSION=3 -isystemC:\\Sdk\\Inc -isystem/usr/include/sys -Iinc -IC:\\Project\\inc -includepch.h"}};
  for (const Case& row : cases) {
    Strings expected = Leading(row.checks);
    for (const auto& word : Words(row.tail)) expected.push_back(word);
    EXPECT_THAT(BuildCommandLine("C:\\src\\main.cpp", row.settings, 0, row.checks, row.options).value(),
                testing::ElementsAreArray(expected));
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
  struct Row {
    const char* toolset;
    const char* ideVersion;
    int32_t standard;
    const char* version;
    std::string std;  ///< empty when no standard argument is expected
  };
  // clang-format off
  const Row rows[] = {
      // unknown or malformed toolsets take the default version
      {"", "16.4", 0, "19.24", ""}, {"vNext", "16.0", 0, "19.24", ""}, {"v99999999999", "", 0, "19.24", ""},
      {"v139", "15.9", 99, "18", ""}, {"V140", "15.1", 99, "19.0", "c++17"}, {"v143", "16.0", 99, "19.24", "c++2a"},
      // minor versions: first, last, past the last; unreadable ones are unknown, never an error
      {"v141", "15.0", 20, "19.10", "c++2a"}, {"v141", "15.10", 14, "19.16", "c++14"},
      {"v 141", " 15.5.2", 0, "19.12", "c++17"}, {"v141", "15", 0, "19.24", "c++17"},
      {"v142", "16.11", 3, "19.25", "c++17"}, {"v142", "16.-2", 0, "19.25", "c++17"},
      {"v142", "16.x", 0, "19.24", "c++17"}, {"v141", "15.99999999999", 0, "19.24", "c++17"},
      // the toolset's default standard, also for values that are no standard
      {"v120", "", 0, "18", "c++14"}, {"v100", "", 0, "18", "c++11"}, {"v99", "", 0, "18", ""},
      {"v90", "", 14, "18", "c++14"}, {"v90", "", 11, "18", "c++11"}, {"v90", "", 17, "18", "c++17"}};
  // clang-format on
  for (const Row& row : rows) {
    InspectionSettings settings;
    settings.platformToolset = row.toolset;
    settings.ideVersion = row.ideVersion;
    settings.languageStandard = row.standard;
    const CommandLine line = BuildCommandLine("main.cpp", settings, 0, "", {}).value();
    SCOPED_TRACE(std::string(row.toolset) + " " + row.ideVersion + " " + std::to_string(row.standard));
    EXPECT_EQ(StartingWith(line, "-fms-compatibility-version="),
              Strings{std::string("-fms-compatibility-version=") + row.version});
    EXPECT_EQ(StartingWith(line, "-std="), row.std.empty() ? Strings{} : Strings{"-std=" + row.std});
  }
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
