// Reading zoci's command line into options.
#include <gtest/gtest.h>

#include "options.h"

namespace zoci {
namespace {

Options Parse(std::vector<std::string> arguments) {
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  EXPECT_TRUE(parsed.options) << parsed.error;
  return parsed.options.value_or(Options{});
}

std::string ErrorOf(std::vector<std::string> arguments) {
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  EXPECT_FALSE(parsed.options);
  return parsed.error;
}

TEST(CommandLine, CompilerFlagsTakeTheirValueJoinedOrSeparate) {
  const Options o = Parse({"inspect", "-Iinc", "-I", "inc2", "-isystem", "sys", "-DA=1", "-D", "B", "-include", "pre.h",
                           "--std=c++17", "-m32", "--x", "c", "--extra-arg=-Wall", "a.c"});
  EXPECT_EQ(o.settings.includeFolders, (std::vector<std::string>{"inc", "inc2"}));
  EXPECT_EQ(o.settings.excludedFolders, (std::vector<std::string>{"sys"}));
  EXPECT_EQ(o.settings.defines, (std::vector<std::string>{"A=1", "B"}));
  EXPECT_EQ(o.settings.forcedIncludes, (std::vector<std::string>{"pre.h"}));
  EXPECT_EQ(o.settings.additionalArguments, (std::vector<std::string>{"-Wall"}));
  EXPECT_EQ(o.settings.languageStandard, 17);
  EXPECT_FALSE(o.settings.target64Bit);
  EXPECT_TRUE(o.settings.compileAsC);
  EXPECT_EQ(o.files, (std::vector<std::string>{"a.c"}));
}

TEST(CommandLine, DefaultsSuitAToolRunByHand) {
  const Options o = Parse({"inspect", "a.cpp"});
  EXPECT_TRUE(o.settings.keepFixlessDiagnostics && o.settings.target64Bit && !o.fix && !o.checks);
  EXPECT_EQ(o.modeFlags, ModeFlags::editorAutoDetectUtf8);
  EXPECT_TRUE(Parse({"fix", "a.cpp"}).fix);
  EXPECT_EQ(Parse({"inspect", "--help"}).command, Command::help);
}

TEST(CommandLine, SettingsAndModeFlagsHaveLongNames) {
  const Options o = Parse({"inspect",
                           "--toolset",
                           "v142",
                           "--ide-version=16.4",
                           "--skip-errors",
                           "--no-keep-fixless",
                           "--allow-headers",
                           "--main-file-only",
                           "--no-utf8-detection",
                           "--bomless-utf8",
                           "--ansi-code-page",
                           "932",
                           "--no-convert",
                           "--header-ext",
                           ".inc",
                           "--option",
                           "a.B=1",
                           "--option=c.D=x=y",
                           "--format",
                           "sarif",
                           "-j4",
                           "--only",
                           "modernize-*",
                           "a.cpp"});
  EXPECT_EQ(o.settings.platformToolset, "v142");
  EXPECT_EQ(o.settings.ideVersion, "16.4");
  EXPECT_TRUE(o.settings.skipErrors);
  EXPECT_FALSE(o.settings.keepFixlessDiagnostics);
  EXPECT_TRUE(o.settings.bomlessIsUtf8);
  EXPECT_EQ(o.modeFlags, ModeFlags::allowHeaderFile | ModeFlags::mainFileOnly);
  EXPECT_EQ(o.ansiCodePage, 932u);
  EXPECT_FALSE(o.convertToUtf8);
  EXPECT_EQ(o.settings.headerExtensions, (std::vector<std::string>{".inc"}));
  EXPECT_EQ(o.checkOptions.at("a.B"), "1");
  EXPECT_EQ(o.checkOptions.at("c.D"), "x=y");
  EXPECT_EQ(o.format, OutputFormat::sarif);
  EXPECT_EQ(o.jobs, 4u);
  EXPECT_EQ(o.onlyChecks, "modernize-*");
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
  EXPECT_NE(ErrorOf({}).find("no command"), std::string::npos);
  EXPECT_NE(ErrorOf({"frobnicate"}).find("unknown command 'frobnicate'"), std::string::npos);
  EXPECT_NE(ErrorOf({"inspect"}).find("no input files"), std::string::npos);
  EXPECT_NE(ErrorOf({"inspect", "--bogus", "a.cpp"}).find("unknown option '--bogus'"), std::string::npos);
  EXPECT_NE(ErrorOf({"inspect", "a.cpp", "--checks"}).find("needs a value"), std::string::npos);
  EXPECT_NE(ErrorOf({"inspect", "--std=c++98", "a.cpp"}).find("unknown --std"), std::string::npos);
  EXPECT_NE(ErrorOf({"inspect", "-j0", "a.cpp"}).find("at least 1"), std::string::npos);
  EXPECT_NE(ErrorOf({"inspect", "--format=xml", "a.cpp"}).find("unknown --format 'xml' (text, json, sarif)"),
            std::string::npos);
  EXPECT_NE(ErrorOf({"inspect", "--option", "novalue", "a.cpp"}).find("NAME=VALUE"), std::string::npos);
  EXPECT_NE(ErrorOf({"inspect", "--fix=yes", "a.cpp"}).find("takes no value"), std::string::npos);
}

TEST(CommandLine, StdinBufferNeedsNoOtherFileAndDoubleDashEndsOptions) {
  EXPECT_EQ(*Parse({"inspect", "--stdin-buffer", "a.cpp"}).stdinBuffer, "a.cpp");
  EXPECT_EQ(Parse({"inspect", "--", "-odd.cpp"}).files, (std::vector<std::string>{"-odd.cpp"}));
}

}  // namespace
}  // namespace zoci
