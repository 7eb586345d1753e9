#include "run/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quillfern::ZoCodeInspections::Native {
namespace {

using testing::ElementsAreArray;

std::vector<std::string> Leading(const std::string& checks) {
  return {"-Xclang",
          "-add-plugin",
          "-Xclang",
          "clang-tidy",
          "-Xclang",
          "-plugin-arg-clang-tidy",
          "-Xclang",
          "-checks=" + checks,
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
          "-D_ITERATOR_DEBUG_LEVEL=0"};
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

InspectionSettings FullSettings() {
  InspectionSettings settings;
  settings.excludedFolders = {"C:\\Sdk\\Inc", "", "/usr/include/sys"};
  settings.includeFolders = {"inc", "C:\\My Project\\inc"};
  settings.forcedIncludes = {"pch.h", ""};
  settings.defines = {"NDEBUG", "", "VERSION=3"};
  settings.additionalArguments = {"-Wextra", "", "-fno-rtti"};
  settings.platformToolset = "v142";
  settings.ideVersion = "16.4";
  settings.profileChecks = true;
  settings.target64Bit = true;
  settings.languageStandard = 20;
  settings.headerForcedInclude = "first.h";
  settings.headerExtensions = {".h"};
  return settings;
}

TEST(BuildCommandLine, MinimalSettingsGiveTheLeadingArgumentsAndTheLanguage) {
  const auto line = BuildCommandLine("main.cpp", {}, 0, "", {});
  ASSERT_TRUE(line.has_value());
  EXPECT_THAT(*line, ElementsAreArray(
                         Concat(Leading(""), {"-fcxx-exceptions", "-fms-compatibility-version=19.24", "/TP", "-m32"})));
}

TEST(BuildCommandLine, EverySettingInItsPlace) {
  const auto line = BuildCommandLine("C:\\src\\main.cpp", FullSettings(), 0, "modernize-*,-x", {{"A.B", "1"}});
  ASSERT_TRUE(line.has_value());
  EXPECT_THAT(*line, ElementsAreArray(Concat(Leading("modernize-*,-x"), {"-fcxx-exceptions",
                                                                         "-fms-compatibility-version=19.24",
                                                                         "/TP",
                                                                         "-std=c++2a",
                                                                         "-m64",
                                                                         "-Xclang",
                                                                         "-plugin-arg-clang-tidy",
                                                                         "-Xclang",
                                                                         "-checkoption-A.B=1",
                                                                         "-Wextra",
                                                                         "-fno-rtti",
                                                                         "-Xclang",
                                                                         "-plugin-arg-clang-tidy",
                                                                         "-Xclang",
                                                                         "-profile",
                                                                         "-DNDEBUG",
                                                                         "-DVERSION=3",
                                                                         "-isystemC:\\Sdk\\Inc",
                                                                         "-isystem/usr/include/sys",
                                                                         "-Iinc",
                                                                         "-IC:\\My Project\\inc",
                                                                         "-includepch.h"})));
}

TEST(BuildCommandLine, CFileInsteadOfCpp) {
  InspectionSettings settings;
  settings.compileAsC = true;
  settings.platformToolset = "v140";
  const auto line = BuildCommandLine("main.c", settings, 0, "*", {});
  ASSERT_TRUE(line.has_value());
  EXPECT_THAT(*line, ElementsAreArray(Concat(Leading("*"), {"-fms-compatibility-version=19.0", "/TC", "-m32"})));
}

TEST(BuildCommandLine, OwnOptionsStayOutOfTheCompilersView) {
  const CheckOptions options{
      {"modernize-use-using.ZO.AllowArrays", "0"}, {"readability.ZO", "1"}, {"x.ZO.", "2"}, {"a.zo.b", "3"}};
  const auto line = BuildCommandLine("main.cpp", {}, 0, "", options);
  ASSERT_TRUE(line.has_value());
  std::vector<std::string> options_seen;
  for (const std::string& argument : *line) {
    if (argument.starts_with("-checkoption-")) options_seen.push_back(argument);
  }
  EXPECT_THAT(options_seen, testing::UnorderedElementsAre("-checkoption-readability.ZO=1", "-checkoption-a.zo.b=3"));
}

TEST(BuildCommandLine, HeaderNeedsPermissionAndOnlyAHeaderGetsItsForcedInclude) {
  InspectionSettings settings = FullSettings();
  EXPECT_EQ(BuildCommandLine("inc\\A.H", settings, 0, "*", {}), std::nullopt);
  EXPECT_FALSE(BuildCommandLine("main.h", settings, ~ModeFlags::allowHeaderFile, "*", {}));
  // Other mode flags change nothing.
  EXPECT_EQ(BuildCommandLine("main.cpp", settings, 0, "*", {}),
            BuildCommandLine("main.cpp", settings, ~ModeFlags::allowHeaderFile, "*", {}));

  const auto allowed = BuildCommandLine("inc\\A.H", settings, ModeFlags::allowHeaderFile, "*", {});
  ASSERT_TRUE(allowed.has_value());
  EXPECT_THAT(std::vector<std::string>(std::prev(allowed->end(), 3), allowed->end()),
              ElementsAreArray({"-IC:\\My Project\\inc", "-includefirst.h", "-includepch.h"}));
  const auto source = BuildCommandLine("main.cpp", settings, ModeFlags::allowHeaderFile, "", {});
  EXPECT_EQ(std::count(source->begin(), source->end(), "-includefirst.h"), 0);

  settings.headerForcedInclude.clear();
  const auto withoutFirst = BuildCommandLine("inc\\A.H", settings, ModeFlags::allowHeaderFile, "*", {});
  ASSERT_TRUE(withoutFirst.has_value());
  EXPECT_THAT(std::vector<std::string>(std::prev(withoutFirst->end(), 2), withoutFirst->end()),
              ElementsAreArray({"-IC:\\My Project\\inc", "-includepch.h"}));
}

TEST(IsHeaderFile, TheExtensionDecides) {
  struct Row {
    const char* path;
    bool extensionlessIsHeader;
    bool expected;
  };
  const std::vector<Row> rows = {{"A.H", false, true},
                                 {"c:\\x\\y.hpp", false, true},
                                 {"main.cpp", true, false},
                                 {"main.h.cpp", true, false},
                                 {"main.hh", false, false},
                                 {"Makefile", true, true},
                                 {"Makefile", false, false},
      // a dot in a folder name is no extension
                                 {"src\\inc.h\\Makefile", true, true},
                                 {"src\\inc.h\\Makefile", false, false},
      // forward slashes do not separate (extension ".h/Makefile"), spaces do
                                 {"src/inc.h/Makefile", true, false},
                                 {"my.h file", true, true},
                                 {"trailing.", false, false},
                                 {"", true, true}};
  InspectionSettings settings;
  settings.headerExtensions = {"", ".h", ".HPP", ".inl"};
  for (const Row& row : rows) {
    settings.extensionlessIsHeader = row.extensionlessIsHeader;
    EXPECT_EQ(IsHeaderFile(row.path, settings), row.expected) << row.path << " " << row.extensionlessIsHeader;
  }
}

TEST(IsHeaderFile, PathsOf512OrMoreCharactersAreNeverHeaders) {
  InspectionSettings settings;
  settings.headerExtensions = {".h"};
  settings.extensionlessIsHeader = true;
  const std::string fits = std::string(509, 'a') + ".h";
  EXPECT_TRUE(IsHeaderFile(fits, settings));
  EXPECT_FALSE(IsHeaderFile("a" + fits, settings));
  EXPECT_TRUE(BuildCommandLine(std::string(600, 'a') + ".h", settings, 0, "", {}).has_value());
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
