// Where a run's settings and files come from: the command line, .clang-tidy,
// compile_commands.json, glob lists, a project run's filters and shard.
#include <gtest/gtest.h>

#include <regex>

#include "compile_database.h"
#include "compile_stand_in.h"
#include "glob.h"
#include "options.h"
#include "project_files.h"
#include "support/temp_dir.h"
#include "tidy_config.h"

namespace zoci {
namespace {

using Strings = std::vector<std::string>;

TEST(TidyConfig, ReadsGlobListsBothFormsOfCheckOptionsAndTheHeaderFilters) {
  using Globs = std::optional<std::string>;
  const std::tuple<std::string, std::string, std::map<std::string, std::string>, HeaderFilterTexts, Globs> cases[] = {
      {"---\nChecks: '-*,modernize-*'\nHeaderFilterRegex: '.*'\nCheckOptions:\n"
       "  - key: a.B\n    value: '2'\n  - key: c.D\n    value: \"x y\"\n",
       "-*,modernize-*",
       {{"a.B", "2"}, {"c.D", "x y"}},
       {".*", std::nullopt},
       std::nullopt},
      {"Checks: >\n  -*,\n  bugprone-*\nCheckOptions:\n  a.B: 3  # comment\n  e.F: ''\n"
       "ExcludeHeaderFilterRegex: third_party/  # vendored\nWarningsAsErrors: >\n  bugprone-*,\n  -bugprone-x\n",
       "-*,bugprone-*",
       {{"a.B", "3"}, {"e.F", ""}},
       {std::nullopt, "third_party/"},
       "bugprone-*,-bugprone-x"},
  };
  std::string error;
  for (const auto& [text, checks, options, headerFilter, warningsAsErrors] : cases) {
    const auto config = ParseTidyConfig(text, error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->checks, checks);
    EXPECT_EQ(config->checkOptions, options);
    EXPECT_EQ(config->headerFilter, headerFilter);
    EXPECT_EQ(config->warningsAsErrors, warningsAsErrors);
  }
  EXPECT_FALSE(ParseTidyConfig("Checks '-*'\n", error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
}

// As clang-tidy applies them: POSIX extended expressions searched in the
// engine's absolute path, an empty one matching nothing; without an include
// expression every header shows, and the command line's override the file's.
TEST(HeaderFilter, IncludesThenExcludesByPathAndRefusesWhatDoesNotParse) {
  const std::string inc = "/w/inc/a.h", vendor = "/w/third_party/v.h", nested = "/w/inc/third_party/n.hpp";
  const std::pair<HeaderFilterTexts, std::vector<bool>> cases[] = {
      {{}, {true, true, true}},
      {{"/inc/", std::nullopt}, {true, false, true}},
      {{"/inc/", "third_party"}, {true, false, false}},
      {{std::nullopt, "third_party"}, {true, false, false}},
      {{"", std::nullopt}, {false, false, false}},
      {{".*", ""}, {true, true, true}},
      {{"^/w/(inc|src)/[a-z]+\\.h$", std::nullopt}, {true, false, false}},
  };
  std::string error;
  for (const auto& [texts, shown] : cases) {
    const auto filter = HeaderFilter::Compile(texts, error);
    ASSERT_TRUE(filter) << error;
    EXPECT_EQ((std::vector<bool>{filter->Shows(inc), filter->Shows(vendor), filter->Shows(nested)}), shown)
        << texts.include.value_or("(none)") << " " << texts.exclude.value_or("(none)");
  }
  EXPECT_EQ(Overlaid({"a", "b"}, {std::nullopt, "c"}), (HeaderFilterTexts{"a", "c"}));
  for (const HeaderFilterTexts& bad : {HeaderFilterTexts{"^((?!x).)*$", std::nullopt}, HeaderFilterTexts{".*", "a("}}) {
    EXPECT_FALSE(HeaderFilter::Compile(bad, error));
    EXPECT_NE(error.find(bad.exclude ? "exclusion filter 'a('" : "filter '^((?!x)"), std::string::npos) << error;
  }
}

// Flags that change what the code means without naming another target
// reach the compiler as written; the others stay out.
TEST(CompileDatabase, TakesEachFilesFoldersDefinesIncludesStandardWidthAndUndefines) {
  zotest::TempDir dir;
  const std::string root = dir.Path().string();
  std::string commands =
      R"([{"directory": "ROOT", "file": "src/a.cpp", "arguments": ["c++", "-Iinc", "-isystem", "/sys",
                               "-DX=1", "-DZ=2", "-include", "pre.h", "-std=c++20", "-UZ", "-iquote", "q", "-c", "src/a.cpp"]},
                             {"directory": "ROOT", "file": "ROOT/b.c",
                              "command": "cc -D 'Y=a b' -xc -m32 -idirafter/after -U W -O2 -g -Wall -fPIC -fno-exceptions
                                          -mavx2 -mno-sse4.2 -march=x86-64-v3 -march=armv8-a -mthumb b.c"}])";
  for (size_t at; (at = commands.find("ROOT")) != std::string::npos;) commands.replace(at, 4, root);
  dir.Write("compile_commands.json", std::regex_replace(commands, std::regex("\n +-mavx2"), " -mavx2"));
  std::string error;
  const auto database = CompileDatabase::Load(dir.Path(), error);
  ASSERT_TRUE(database) << error;
  const auto a = database->FlagsOf(dir.Path() / "src/../src/a.cpp");
  ASSERT_TRUE(a);
  EXPECT_EQ(
      std::tie(a->includeFolders, a->systemFolders, a->defines, a->forcedIncludes, a->standard),
      std::make_tuple(Strings{root + "/inc"}, Strings{"/sys"}, Strings{"X=1"}, Strings{root + "/pre.h"}, "c++20"));
  const auto b = database->FlagsOf(dir.Path() / "b.c");
  ASSERT_TRUE(b);
  EXPECT_EQ(std::tie(b->defines, b->compileAsC, b->passedOn),
            std::make_tuple(Strings{"Y=a b"}, true,
                            Strings{"-idirafter/after", "-UW", "-O2", "-fno-exceptions", "-mavx2", "-mno-sse4.2",
                                    "-march=x86-64-v3"}));
  InspectionSettings settings;
  settings.target64Bit = true;  // zoci's default
  ApplyCompileFlags(*a, settings);
  EXPECT_EQ(std::tie(settings.additionalArguments, settings.target64Bit),
            std::make_tuple(Strings{"-UZ", "-iquote" + root + "/q"}, true));
  ApplyCompileFlags(*b, settings);
  EXPECT_FALSE(settings.target64Bit);
  EXPECT_EQ(database->FlagsOf(dir.Path() / "src/new.cpp")->borrowedFrom, root + "/src/a.cpp");
}

// cl takes "/" or "-" options, some of its own; a GCC-style driver reads
// "/D..." as a path. A response file may be UTF-16 with CRLF and name another.
// Flags handed on with -Xclang count (the precompiled header is left out).
TEST(CompileDatabase, ReadsClStyleDriversAndResponseFiles) {
  zotest::TempDir dir;
  const std::string root = dir.Path().string();
  std::string commands = R"([
      {"directory": "ROOT", "file": "cl.cpp", "command": "C:/VC/bin/CL.EXE /nologo /TP /DFOO -DBAR=1 /DVAL#7 /I inc -Iinc2
          /std:c++latest /FI pre.h /external:I ext -imsvc /sys /UFOO /arch:AVX /GR- /EHsc /O2 /Oi /c cl.cpp"},
      {"directory": "ROOT", "file": "c.c", "arguments": ["clang-cl-19", "/TC", "/DC", "@cl.rsp", "c.c"]},
      {"directory": "ROOT", "file": "gcc.cpp", "arguments": ["g++", "/DX", "@args.rsp", "-Xclang", "-include-pch",
          "-Xclang", "pch.hxx.pch", "-Xclang", "-include", "-Xclang", "pch.hxx", "gcc.cpp"]},
      {"directory": "ROOT", "file": "lost.cpp", "arguments": ["g++", "-DY", "@missing.rsp", "lost.cpp"]},
      {"directory": "ROOT", "file": "loop.cpp", "arguments": ["g++", "@loop.rsp", "loop.cpp"]},
      {"directory": "ROOT", "file": "d.cpp", "arguments": ["clang++", "--driver-mode=cl", "/DD", "d.cpp"]}])";
  for (size_t at; (at = commands.find("ROOT")) != std::string::npos;) commands.replace(at, 4, root);
  dir.Write("compile_commands.json", std::regex_replace(commands, std::regex("\n +/std"), " /std"));
  std::string rsp = "\xFF\xFE", error;  // UTF-16LE
  for (const char c : std::string("-DR=1 @inner.rsp\r\n")) rsp.append({c, '\0'});
  dir.Write("args.rsp", rsp);
  dir.Write("inner.rsp", "-Irsp\r\n");
  dir.Write("loop.rsp", "@loop.rsp");
  dir.Write("cl.rsp", R"(/Isub\inc "/DMSG=\"a b\"" /DPATH="C:\dir\\")");  // cl's quoting: backslashes stay
  const auto database = CompileDatabase::Load(dir.Path(), error);
  ASSERT_TRUE(database) << error;
  const auto cl = database->FlagsOf(dir.Path() / "cl.cpp"), c = database->FlagsOf(dir.Path() / "c.c"),
             gcc = database->FlagsOf(dir.Path() / "gcc.cpp"), lost = database->FlagsOf(dir.Path() / "lost.cpp");
  ASSERT_TRUE(cl && c && gcc && lost);
  EXPECT_EQ(
      std::tie(cl->includeFolders, cl->systemFolders, cl->defines, cl->forcedIncludes, cl->standard, cl->passedOn),
      std::make_tuple(Strings{root + "/inc", root + "/inc2"}, Strings{root + "/ext", "/sys"}, Strings{"BAR=1", "VAL=7"},
                      Strings{root + "/pre.h"}, "c++latest", Strings{"-UFOO", "-mavx", "-fno-rtti"}));
  EXPECT_EQ(std::tie(c->compileAsC, c->defines, c->includeFolders),
            std::make_tuple(true, Strings{"C", R"(MSG="a b")", R"(PATH=C:\dir\)"}, Strings{root + R"(/sub\inc)"}));
  EXPECT_EQ(std::tie(gcc->defines, gcc->includeFolders, gcc->forcedIncludes, gcc->error),
            std::make_tuple(Strings{"R=1"}, Strings{root + "/rsp"}, Strings{root + "/pch.hxx"}, ""));
  EXPECT_NE(lost->error.find("response file @missing.rsp: "), std::string::npos) << lost->error;
  EXPECT_NE(database->FlagsOf(dir.Path() / "loop.cpp")->error.find("8 deep"), std::string::npos);
  EXPECT_EQ(database->FlagsOf(dir.Path() / "d.cpp")->defines, Strings{"D"});
}

TEST(CompileDatabase, SplitsCommandTextsAsTheirSystemQuotesThem) {
  const std::string command = R"(C:\VC\cl.exe "C:\Program Files\x" a\\b a\\\"b "x""y" "" 'q r')";
  EXPECT_EQ(SplitCommand(command, CommandQuoting::windows),
            (Strings{R"(C:\VC\cl.exe)", R"(C:\Program Files\x)", R"(a\\b)", R"(a\"b)", R"(x"y)", "", "'q", "r'"}));
  EXPECT_EQ(SplitCommand(command, CommandQuoting::posix),
            (Strings{"C:VCcl.exe", "C:Program Filesx", R"(a\b)", R"(a\"b)", "xy", "", "q r"}));
}

TEST(CompileDatabase, NamesATargetOtherThanX86ByFlagOrCompilerPrefix) {
  const std::pair<Strings, std::string> cases[] = {
      {{"arm-none-eabi-g++-12", "-c", "a.cpp"}, "arm-none-eabi"},
      {{"clang++", "--target=aarch64-linux-gnu"}, "aarch64-linux-gnu"},
      {{"clang", "-target", "riscv64"}, "riscv64"},
      {{"clang", "--target=i386"}, ""},
      {{"/opt/ndk/bin/armv7a-linux-androideabi21-clang++"}, "armv7a-linux-androideabi21"},
      {{"x86_64-linux-gnu-gcc", "--target", "i686-pc-windows-msvc"}, ""},
      {{"clang-cl-19", "/c"}, ""},
      {{"g++-12"}, ""}};
  for (const auto& [arguments, target] : cases) EXPECT_EQ(FlagsFromArguments(arguments, "/").otherTarget, target);
}

// A file without an entry borrows the flags of the one most like it: of its
// language, then sharing its name and near folders, then the longest beginning.
TEST(CompileDatabase, AFileWithoutAnEntryBorrowsTheFlagsOfTheMostLikeOne) {
  const Strings paths = {"/p/lib/util/strings.c",
                         "/p/lib/net/socket.cpp",
                         "/p/tests/net/socket_test.cpp",
                         "/p/app/main.cpp",
                         "/q/x/y.cpp",
                         "/s/deep/y.cpp",
                         "/q/dd/w.cpp"};
  const std::pair<std::string, size_t> cases[] = {{"/p/lib/net/socket.h", 1},
                                                  {"/p/tests/net/poll_test.cpp", 2},
                                                  {"/p/app/socket.cpp", 1},  // the name before a longer beginning
                                                  {"/p/lib/util/format.cpp", 1},
                                                  {"/p/lib/util/format.c", 0},
                                                  {"/q/z.cpp", 4},
                                                  {"/r/deep/one/two/three/four/x.cpp", 1},  // "deep" is too far
                                                  {"/z/tests/k.cpp", 2},
                                                  {"/s/aa/bb/cc/dd/x.cpp", 5}};  // below "/s/" as much as "dd"
  for (const auto& [file, expected] : cases) EXPECT_EQ(StandInFor(file, paths), expected) << file;
  EXPECT_FALSE(StandInFor("/p/a.cpp", {}));

  // A source of the other language drops the standard; a header keeps the language.
  for (const auto& [entry, file, standard, asC] :
       {std::tuple<std::string, std::string, std::string, bool>{"a.cpp", "b.c", "", false},
        {"a.cpp", "a.h", "c++20", false},
        {"a.c", "a.h", "c++20", true}}) {
    zotest::TempDir dir;
    dir.Write("compile_commands.json", R"([{"directory": ")" + dir.Path().string() + R"(", "file": ")" + entry +
                                           R"(", "arguments": ["cc", "-std=c++20", "-DX", "-c", "x"]}])");
    std::string error;
    const auto flags = CompileDatabase::Load(dir.Path(), error)->FlagsOf(dir.Path() / file);
    ASSERT_TRUE(flags) << error;
    EXPECT_EQ(std::make_tuple(flags->borrowedFrom, flags->standard.value_or(""), flags->compileAsC, flags->defines),
              std::make_tuple((dir.Path() / entry).string(), standard, asC, Strings{"X"}))
        << file << " borrowing from " << entry;
  }
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
            "--option=c.D=x=y --format sarif -j4 --only modernize-* --exclude-header-filter=/sdk/ a.c -- -odd.cpp"));
  const InspectionSettings& s = o.settings;
  const std::string cwd = std::filesystem::current_path().string();  // folders count from it, as a compiler's do
  EXPECT_EQ(std::tie(s.includeFolders, s.excludedFolders, s.defines, s.forcedIncludes, s.additionalArguments),
            std::make_tuple(Strings{cwd + "/inc", cwd + "/inc2"}, Strings{cwd + "/sys"}, Strings{"A=1", "B"},
                            Strings{"pre.h"},
                            Strings{"-Wall"}));  // a forced include not in the working folder stays as written
  EXPECT_EQ(s.headerExtensions, Strings{".inc"});
  EXPECT_EQ(std::tie(s.languageStandard, s.platformToolset, s.ideVersion), std::make_tuple(17, "v142", "16.4"));
  EXPECT_TRUE(!s.target64Bit && s.compileAsC && s.skipErrors && !s.keepFixlessDiagnostics && s.bomlessIsUtf8);
  EXPECT_EQ(o.modeFlags, ModeFlags::allowHeaderFile | ModeFlags::mainFileOnly);
  EXPECT_EQ(std::tie(o.ansiCodePage, o.convertToUtf8, o.jobs), std::make_tuple(932u, false, 4u));
  EXPECT_EQ(o.checkOptions, (std::map<std::string, std::string>{{"a.B", "1"}, {"c.D", "x=y"}}));
  EXPECT_EQ(std::tie(o.format, o.onlyChecks), std::make_tuple(OutputFormat::sarif, "modernize-*"));
  EXPECT_EQ(o.headerFilter, (HeaderFilterTexts{std::nullopt, "/sdk/"}));
  EXPECT_EQ(o.files, (Strings{"a.c", "-odd.cpp"}));  // "--" ends the options
}

TEST(CommandLine, DefaultsSuitAToolRunByHand) {
  const Options o = Parse({"inspect", "a.cpp"});
  EXPECT_TRUE(o.settings.keepFixlessDiagnostics && o.settings.target64Bit && !o.fix && !o.checks);
  EXPECT_EQ(o.modeFlags, ModeFlags::editorAutoDetectUtf8);
  EXPECT_EQ(Parse({"inspect", "--help"}).command, Command::help);
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
      {{"inspect", "--header-filter", "[inc", "a.cpp"}, "the header filter '[inc' is not a POSIX extended"},
  };
  for (const auto& [arguments, error] : cases) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    EXPECT_FALSE(parsed.options) << error;
    EXPECT_NE(parsed.error.find(error), std::string::npos) << parsed.error;
  }
}

const std::vector<std::string> kFiles = {"src/a.cpp", "src/b.cpp", "lib/c.cpp", "lib/d.c",   "test/e.cpp",
                                         "src/f.cpp", "src/g.cpp", "lib/h.cpp", "test/i.cpp"};

uintmax_t SizeOf(const std::string&) { return 1; }

TEST(ProjectFiles, FiltersKeepTheDatabaseOrder) {
  const std::tuple<const char*, const char*, std::vector<std::string>> cases[] = {
                                                                                    // include, exclude, kept
      {"", "", kFiles},
      {"^src/", "", {"src/a.cpp", "src/b.cpp", "src/f.cpp", "src/g.cpp"}},
      {"", "test|\\.c$", {"src/a.cpp", "src/b.cpp", "lib/c.cpp", "src/f.cpp", "src/g.cpp", "lib/h.cpp"}},
      {"lib", "h\\.cpp", {"lib/c.cpp", "lib/d.c"}},
      {"nothing", "", {}},
  };
  for (const auto& [include, exclude, kept] : cases)
    EXPECT_EQ(SelectFiles(kFiles, FileFilter{include, exclude, {}}, SizeOf), kept) << include << " " << exclude;
  EXPECT_THROW(SelectFiles(kFiles, FileFilter{"(", "", {}}, SizeOf), std::regex_error);
}

TEST(ProjectFiles, ShardTextsAreKOfN) {
  for (const char* text : {"0/3", "4/3", "1/0", "1", "a/b", "1/2/3", ""}) EXPECT_FALSE(ParseShard(text)) << text;
}

}  // namespace
}  // namespace zoci
