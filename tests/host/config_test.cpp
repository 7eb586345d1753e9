// Where settings come from besides flags: .clang-tidy files,
// compile_commands.json, and check-name glob lists.
#include <gtest/gtest.h>

#include "compile_database.h"
#include "glob.h"
#include "support/temp_dir.h"
#include "tidy_config.h"

namespace zoci {
namespace {

using Strings = std::vector<std::string>;

TEST(TidyConfig, ReadsChecksAndBothFormsOfCheckOptions) {
  const std::tuple<std::string, std::string, std::map<std::string, std::string>> cases[] = {
      {"---\nChecks: '-*,modernize-*'\nHeaderFilterRegex: '.*'\nCheckOptions:\n"
       "  - key: a.B\n    value: '2'\n  - key: c.D\n    value: \"x y\"\n",
       "-*,modernize-*",
       {{"a.B", "2"}, {"c.D", "x y"}}},
      {"Checks: >\n  -*,\n  bugprone-*\nCheckOptions:\n  a.B: 3  # comment\n", "-*,bugprone-*", {{"a.B", "3"}}},
  };
  std::string error;
  for (const auto& [text, checks, options] : cases) {
    const auto config = ParseTidyConfig(text, error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->checks, checks);
    EXPECT_EQ(config->checkOptions, options);
  }
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
  EXPECT_EQ(a->includeFolders, Strings{root + "/inc"});
  EXPECT_EQ(a->systemFolders, Strings{"/sys"});
  EXPECT_EQ(a->defines, Strings{"X=1"});
  EXPECT_EQ(a->forcedIncludes, Strings{root + "/pre.h"});
  EXPECT_EQ(a->standard, "c++20");
  const auto b = database->FlagsOf(dir.Path() / "b.c");
  ASSERT_TRUE(b);
  EXPECT_EQ(b->defines, Strings{"Y=a b"});
  EXPECT_TRUE(b->compileAsC);
  EXPECT_FALSE(database->FlagsOf(dir.Path() / "c.cpp"));
  EXPECT_FALSE(CompileDatabase::Load(dir.Path() / "none", error));
  EXPECT_NE(error.find("compile_commands.json"), std::string::npos);
}

TEST(CompileDatabase, AStandardTheSettingCannotHoldReachesTheCompilerAsWritten) {
  // The database's standard, zoci's --std, whether the file is C; the setting, and the arguments added.
  const std::tuple<std::string, int32_t, bool, int32_t, Strings> cases[] = {
      {"c++20", 0, false, 20, {}},
      {"c++20", 17, false, 17, {}},  // zoci's --std wins
      {"gnu90", 0, true, 0, {"-std=gnu90"}},
      {"c11", 17, true, 17, {"-std=c11"}},  // a C++ --std says nothing of C files
      {"c++98", 0, false, 0, {"-std=c++98"}},
      {"c++98", 17, false, 17, {}},
  };
  for (const auto& [standard, userStandard, compileAsC, expectedStandard, expectedArguments] : cases) {
    CompileFlags flags;
    flags.standard = standard;
    flags.compileAsC = compileAsC;
    InspectionSettings settings;
    settings.languageStandard = userStandard;
    ApplyCompileFlags(flags, settings);
    EXPECT_EQ(settings.languageStandard, expectedStandard) << standard;
    EXPECT_EQ(settings.additionalArguments, expectedArguments) << standard;
  }
}

TEST(Glob, LastMatchingPatternDecides) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"modernize-*", "modernize-use-nullptr", true}, {"modernize-*,-modernize-use-*", "modernize-use-nullptr", false},
      {"-*, bugprone-*", "bugprone-x", true},         {"", "anything", false},
      {"*-use-*", "modernize-use-auto", true},
  };
  for (const auto& [globs, name, matches] : cases) EXPECT_EQ(MatchesGlobList(globs, name), matches) << globs;
}

}  // namespace
}  // namespace zoci
