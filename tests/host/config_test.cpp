// Where settings come from besides flags: .clang-tidy files,
// compile_commands.json, and check-name glob lists.
#include <gtest/gtest.h>

#include "compile_database.h"
#include "glob.h"
#include "support/temp_dir.h"
#include "tidy_config.h"

namespace zoci {
namespace {

TEST(TidyConfig, ReadsChecksAndBothFormsOfCheckOptions) {
  std::string error;
  auto list = ParseTidyConfig(
      "---\nChecks: '-*,modernize-*'\nHeaderFilterRegex: '.*'\nCheckOptions:\n"
      "  - key: a.B\n    value: '2'\n  - key: c.D\n    value: \"x y\"\n",
      error);
  ASSERT_TRUE(list) << error;
  EXPECT_EQ(list->checks, "-*,modernize-*");
  EXPECT_EQ(list->checkOptions, (std::map<std::string, std::string>{{"a.B", "2"}, {"c.D", "x y"}}));
  auto map = ParseTidyConfig("Checks: >\n  -*,\n  bugprone-*\nCheckOptions:\n  a.B: 3  # comment\n", error);
  ASSERT_TRUE(map) << error;
  EXPECT_EQ(map->checks, "-*,bugprone-*");
  EXPECT_EQ(map->checkOptions.at("a.B"), "3");
  EXPECT_FALSE(ParseTidyConfig("Checks '-*'\n", error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
}

TEST(CompileDatabase, TakesEachFilesFoldersDefinesIncludesAndStandard) {
  zotest::TempDir dir;
  const std::string root = dir.Path().string();
  dir.Write("compile_commands.json",
            "[{\"directory\": \"" + root +
                "\", \"file\": \"src/a.cpp\", \"arguments\": [\"c++\", \"-Iinc\", \"-isystem\", \"/sys\","
                " \"-DX=1\", \"-include\", \"pre.h\", \"-std=c++20\", \"-c\", \"src/a.cpp\"]},"
                " {\"directory\": \"" +
                root + "\", \"file\": \"" + root + "/b.c\", \"command\": \"cc -D 'Y=a b' -xc b.c\"}]");
  std::string error;
  const auto database = CompileDatabase::Load(dir.Path(), error);
  ASSERT_TRUE(database) << error;
  const auto a = database->FlagsOf(dir.Path() / "src/../src/a.cpp");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->includeFolders, (std::vector<std::string>{root + "/inc"}));
  EXPECT_EQ(a->systemFolders, (std::vector<std::string>{"/sys"}));
  EXPECT_EQ(a->defines, (std::vector<std::string>{"X=1"}));
  EXPECT_EQ(a->forcedIncludes, (std::vector<std::string>{root + "/pre.h"}));
  InspectionSettings settings;
  ApplyCompileFlags(*a, settings);
  EXPECT_EQ(settings.languageStandard, 20);
  const auto b = database->FlagsOf(dir.Path() / "b.c");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->defines, (std::vector<std::string>{"Y=a b"}));
  EXPECT_TRUE(b->compileAsC);
  EXPECT_FALSE(database->FlagsOf(dir.Path() / "c.cpp"));
  EXPECT_FALSE(CompileDatabase::Load(dir.Path() / "none", error));
  EXPECT_NE(error.find("compile_commands.json"), std::string::npos);
}

TEST(CompileDatabase, AStandardTheSettingCannotHoldReachesTheCompilerAsWritten) {
  struct Case {
    std::string standard;
    int32_t userStandard;
    bool compileAsC;
    int32_t expectedStandard;
    std::vector<std::string> expectedArguments;
  };
  const Case cases[] = {
      {"c++20", 0, false, 20, {}},
      {"c++20", 17, false, 17, {}},  // zoci's --std wins
      {"gnu90", 0, true, 0, {"-std=gnu90"}},
      {"c11", 17, true, 17, {"-std=c11"}},  // a C++ --std says nothing of C files
      {"c++98", 0, false, 0, {"-std=c++98"}},
      {"c++98", 17, false, 17, {}},
  };
  for (const Case& c : cases) {
    CompileFlags flags;
    flags.standard = c.standard;
    flags.compileAsC = c.compileAsC;
    InspectionSettings settings;
    settings.languageStandard = c.userStandard;
    ApplyCompileFlags(flags, settings);
    EXPECT_EQ(settings.languageStandard, c.expectedStandard) << c.standard;
    EXPECT_EQ(settings.additionalArguments, c.expectedArguments) << c.standard;
  }
}

TEST(Glob, LastMatchingPatternDecides) {
  EXPECT_TRUE(MatchesGlobList("modernize-*", "modernize-use-nullptr"));
  EXPECT_FALSE(MatchesGlobList("modernize-*,-modernize-use-*", "modernize-use-nullptr"));
  EXPECT_TRUE(MatchesGlobList("-*, bugprone-*", "bugprone-x"));
  EXPECT_TRUE(MatchesGlobList("*", "anything"));
  EXPECT_FALSE(MatchesGlobList("", "anything"));
  EXPECT_TRUE(MatchesGlobList("*-use-*", "modernize-use-auto"));
}

}  // namespace
}  // namespace zoci
