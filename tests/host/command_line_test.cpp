// Reading zoci's command line into options.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "options.h"

namespace zoci {
namespace {

using Strings = std::vector<std::string>;

Strings Words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), {}};
}

Options Parse(const Strings& arguments) {
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  EXPECT_TRUE(parsed.options) << parsed.error;
  return parsed.options.value_or(Options{});
}

TEST(CommandLine, ReadsEveryFlagJoinedToItsValueOrSeparate) {
  const Options o = Parse(
      Words("inspect -Iinc -I inc2 -isystem sys -DA=1 -D B -include pre.h --std=c++17 -m32 --x c --extra-arg=-Wall "
            "--toolset v142 --ide-version=16.4 --skip-errors --no-keep-fixless --allow-headers --main-file-only "
            "--no-utf8-detection --bomless-utf8 --ansi-code-page 932 --no-convert --header-ext .inc --option a.B=1 "
            "--option=c.D=x=y --format sarif -j4 --only modernize-* a.c -- -odd.cpp"));
  const InspectionSettings& s = o.settings;
  EXPECT_EQ(s.includeFolders, (Strings{"inc", "inc2"}));
  EXPECT_EQ(s.excludedFolders, Strings{"sys"});
  EXPECT_EQ(s.defines, (Strings{"A=1", "B"}));
  EXPECT_EQ(s.forcedIncludes, Strings{"pre.h"});
  EXPECT_EQ(s.additionalArguments, Strings{"-Wall"});
  EXPECT_EQ(s.headerExtensions, Strings{".inc"});
  EXPECT_EQ(std::tie(s.languageStandard, s.platformToolset, s.ideVersion), std::make_tuple(17, "v142", "16.4"));
  EXPECT_TRUE(!s.target64Bit && s.compileAsC && s.skipErrors && !s.keepFixlessDiagnostics && s.bomlessIsUtf8);
  EXPECT_EQ(o.modeFlags, ModeFlags::allowHeaderFile | ModeFlags::mainFileOnly);
  EXPECT_EQ(o.ansiCodePage, 932u);
  EXPECT_FALSE(o.convertToUtf8);
  EXPECT_EQ(o.checkOptions, (std::map<std::string, std::string>{{"a.B", "1"}, {"c.D", "x=y"}}));
  EXPECT_EQ(o.format, OutputFormat::sarif);
  EXPECT_EQ(o.jobs, 4u);
  EXPECT_EQ(o.onlyChecks, "modernize-*");
  EXPECT_EQ(o.files, (Strings{"a.c", "-odd.cpp"}));  // "--" ends the options
}

TEST(CommandLine, DefaultsSuitAToolRunByHand) {
  const Options o = Parse({"inspect", "a.cpp"});
  EXPECT_TRUE(o.settings.keepFixlessDiagnostics && o.settings.target64Bit && !o.fix && !o.checks);
  EXPECT_EQ(o.modeFlags, ModeFlags::editorAutoDetectUtf8);
  EXPECT_TRUE(Parse({"fix", "a.cpp"}).fix);
  EXPECT_EQ(Parse({"inspect", "--help"}).command, Command::help);
  EXPECT_EQ(*Parse({"inspect", "--stdin-buffer", "a.cpp"}).stdinBuffer, "a.cpp");  // needs no other file
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
  const std::pair<Strings, std::string> cases[] = {
      {{}, "no command"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"inspect"}, "no input files"},
      {{"inspect", "--bogus", "a.cpp"}, "unknown option '--bogus'"},
      {{"inspect", "a.cpp", "--checks"}, "needs a value"},
      {{"inspect", "--std=c++98", "a.cpp"}, "unknown --std"},
      {{"inspect", "-j0", "a.cpp"}, "at least 1"},
      {{"inspect", "--format=xml", "a.cpp"}, "unknown --format 'xml' (text, json, sarif)"},
      {{"inspect", "--option", "novalue", "a.cpp"}, "NAME=VALUE"},
      {{"inspect", "--fix=yes", "a.cpp"}, "takes no value"},
  };
  for (const auto& [arguments, error] : cases) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    EXPECT_FALSE(parsed.options) << error;
    EXPECT_NE(parsed.error.find(error), std::string::npos) << parsed.error;
  }
}

}  // namespace
}  // namespace zoci
