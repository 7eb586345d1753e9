// zoci end to end with the real engine: what a user sees on the terminal, the
// exit codes a CI job relies on, the machine outputs, and fixes written back in
// each file's own encoding as clang-tidy's own --fix leaves the UTF-8 sample.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include <nlohmann/json.hpp>
#include "support/temp_dir.h"

namespace zotest {
namespace {

struct ZociRun {
  int exitCode = -1;
  std::string out, err;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted.append(c == '\'' ? "'\\''" : std::string(1, c));
  return quoted.append("'");
}

const std::vector<std::string> kEncodings = {"utf8", "utf8-bom", "utf16le", "cp1252"};

std::string Sample(const std::string& encoding) { return "encodings/inventory." + encoding + ".cpp"; }

/// Runs zoci (or a reference tool) in a copy of the samples, through the shell with files for its streams.
class Zoci : public ::testing::Test {
 protected:
  Zoci() { std::filesystem::copy(ZOCI_SAMPLES, dir_.Path(), std::filesystem::copy_options::recursive); }

  ZociRun Run(const std::vector<std::string>& arguments, const std::string& input = {}) const {
    return Shell(ZOCI_EXE, arguments, input);
  }
  ZociRun Shell(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& input = {}) const {
    TempDir streams;
    const auto in = streams.Write("in", input);
    // Built by appending only: GCC 12 at -O3 misreads "literal" + string as an overlapping copy.
    std::string command = "cd ";
    command += Quote(dir_.Path().string());
    command += " && XDG_CACHE_HOME=";  // the default result cache: the test's own
    command += Quote(cacheHome_.Path().string());
    command += " ";
    command += Quote(program);
    for (const std::string& argument : arguments) command.append(" ").append(Quote(argument));
    command.append(" <").append(Quote(in.string()));
    command.append(" >").append(Quote((streams.Path() / "out").string()));
    command.append(" 2>").append(Quote((streams.Path() / "err").string()));
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(streams.Path() / "out"),
            ReadBytes(streams.Path() / "err")};
  }
  std::string Read(const std::string& relative) const { return ReadBytes(dir_.Path() / relative); }

  /// How many results a cache folder (by default the default one) holds: a
  /// run not served from the cache adds one.
  size_t CachedResults(std::filesystem::path folder = {}) const {
    size_t count = 0;
    if (folder.empty()) folder = cacheHome_.Path() / "zoci";
    if (!std::filesystem::exists(folder)) return 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      count += entry.path().extension() == ".r" ? 1 : 0;
    }
    return count;
  }

  TempDir dir_;
  TempDir cacheHome_;
};

TEST_F(Zoci, EveryEncodingGivesTheSameDiagnosticsAtUtf16PositionsInFileOrder) {
  std::vector<std::string> arguments = {"inspect", "-j", "4", "--format", "json"};
  for (const std::string& encoding : kEncodings) arguments.push_back(Sample(encoding));
  const ZociRun run = Run(arguments);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  nlohmann::json files = nlohmann::json::parse(run.out)["files"];
  ASSERT_EQ(files.size(), kEncodings.size());
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(kEncodings[i]);
    EXPECT_EQ(files[i]["path"], Sample(kEncodings[i]));
    for (auto& diagnostic : files[i]["diagnostics"]) diagnostic.erase("file");
    EXPECT_EQ(files[i]["diagnostics"], files[0]["diagnostics"]);  // offsets leave out byte order marks
  }
  EXPECT_EQ(files[2]["encoding"], "UTF-16LE BOM");
}

TEST_F(Zoci, ExitCodesFollowWhatACiJobExpects) {
  EXPECT_EQ(Run({"inspect", Sample("utf8")}).exitCode, 0);
  const ZociRun promoted = Run({"inspect", "--warnings-as-errors=modernize-use-nullptr", Sample("utf8")});
  EXPECT_EQ(promoted.exitCode, 1);
  EXPECT_NE(promoted.out.find("error: use nullptr [modernize-use-nullptr,-warnings-as-errors]"), std::string::npos);
  EXPECT_EQ(Run({"inspect", "--warnings-as-errors=cert-*", Sample("utf8")}).exitCode, 0);
  const ZociRun usage = Run({"inspect", "--no-such-flag", Sample("utf8")});
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_NE(usage.err.find("unknown option '--no-such-flag'"), std::string::npos);
  const ZociRun missing = Run({"inspect", "missing.cpp", Sample("utf8")});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("cannot read missing.cpp"), std::string::npos);
  EXPECT_NE(missing.out.find("6 warnings"), std::string::npos);  // the readable file is still inspected
  const ZociRun badConfig = Run({"inspect", "--config-file", "nowhere/.clang-tidy", Sample("utf8")});
  EXPECT_EQ(badConfig.exitCode, 2);
  EXPECT_NE(badConfig.err.find("nowhere/.clang-tidy"), std::string::npos);
}

TEST_F(Zoci, RunProblemsAndRefusalsReachTheUser) {
  dir_.Write("plain.cpp", "int* p = 0;\n");
  dir_.Write("macro.cpp", "#define MYNULL 0\nint* p = MYNULL;\n");
  dir_.Write("far.cpp", "int* p = 0; // zoCI:skip+4294967296\nint* q = 0;\n");
  dir_.Write("X.H", "int* p = 0;\n");
  dir_.Write("Y.HPP", "int* p = 0;\n");
  dir_.Write("broken/.clang-tidy", "Checks: [oops\n");
  dir_.Write("broken/inner/.clang-tidy", "InheritParentConfig: true\nChecks: '-*,modernize-use-nullptr'\n");
  dir_.Write("broken/inner/plain.cpp", "int* p = 0;\n");
  const std::string nullptrOnly = "--checks=-*,modernize-use-nullptr";
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string out, err;  ///< expected inside standard output and the error stream
  };
  const std::vector<Case> cases = {
      // the engine refuses the run: its message, and the run fails
      {{"--checks=-*", "plain.cpp"}, 2, "0 warnings", "zoci: error: plain.cpp: Error: no checks enabled."},
      // an error without a position is counted and printed
      {{nullptrOnly, "-include", "missing-pch.h", "plain.cpp"},
       1,
       "plain.cpp:1:1: error: 'missing-pch.h' file not found [clang-diagnostic-error]",
       ""},
      // a directive the library cannot read drops diagnostics: the user is told
      {{nullptrOnly, "far.cpp"},
       0,
       "0 warnings",
       "zoci: warning: far.cpp: 2 diagnostics were dropped by the library: stoul argument out of range"},
      // the library's header test, whatever the letter case of the extension
      {{nullptrOnly, "X.H", "Y.HPP"},
       0,
       "0 warnings",
       "zoci: Y.HPP: header file not inspected (--allow-headers inspects it)"},
      // a configuration file the engine passes over
      {{"broken/inner/plain.cpp"},
       0,
       "1 warning",
       "zoci: warning: broken/inner/plain.cpp: the engine ignored a configuration file: Error parsing "},
      // an option value that YAML would read otherwise reaches the check
      {{nullptrOnly, "--option", "modernize-use-nullptr.NullMacros=MYNULL,OTHER", "macro.cpp"},
       0,
       "macro.cpp:2:10: warning: use nullptr",
       ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"inspect"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ZociRun run = Run(arguments);
    SCOPED_TRACE(c.arguments.back());
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
  }
}

TEST_F(Zoci, CompileCommandsGiveEachFileItsFoldersAndDefines) {
  const ZociRun alone = Run({"inspect", "project/src/main.cpp"});
  EXPECT_EQ(alone.exitCode, 1);  // a compiler error fails the run for CI
  EXPECT_NE(alone.out.find("project/src/main.cpp:5:10: error: 'config.h' file not found [clang-diagnostic-error]"),
            std::string::npos)
      << alone.out;
  const ZociRun project = Run({"inspect", "-p", "project", "project/src/main.cpp"});
  EXPECT_EQ(project.exitCode, 0) << project.err;
  EXPECT_NE(project.out.find("project/src/main.cpp:8:62: warning: use nullptr"), std::string::npos) << project.out;
  EXPECT_EQ(Run({"inspect", "-p", "encodings", "project/src/main.cpp"}).exitCode, 2);  // no database there
}

/// The results of a SARIF log with rule and artifact indices replaced by what they name.
std::multiset<std::string> ResolvedResults(const std::string& sarif) {
  nlohmann::json run = nlohmann::json::parse(sarif)["runs"][0];
  std::multiset<std::string> results;
  for (nlohmann::json result : run["results"]) {
    result["ruleIndex"] = run["tool"]["driver"]["rules"][result["ruleIndex"].get<size_t>()]["id"];
    for (nlohmann::json& location : result["locations"]) {
      auto& artifact = location["physicalLocation"]["artifactLocation"];
      EXPECT_EQ(run["artifacts"][artifact["index"].get<size_t>()]["location"]["uri"], artifact["uri"]);
      artifact.erase("index");
    }
    result.erase("fixes");
    results.insert(result.dump());
  }
  return results;
}

// The README's CI workflow on the sample project: two runners each inspect
// their shard of the whole compile database with the cache folder the workflow
// restores and saves, and the merged log holds what one run over the whole
// database finds. The second pushes are served from the cache, with the same log.
TEST_F(Zoci, ProjectShardsMergeIntoTheWholeDatabasesFindings) {
  const ZociRun whole = Run({"inspect", "-p", "project", "--format", "sarif", "--no-cache"});
  ASSERT_EQ(whole.exitCode, 0) << whole.err;
  EXPECT_EQ(ResolvedResults(whole.out).size(), 2u) << whole.out;  // one in main.cpp, one in shelf.cpp
  std::vector<std::string> shards;
  ZociRun merged;
  size_t stored = 0;
  for (const int push : {1, 2}) {
    SCOPED_TRACE(push);
    shards.clear();
    for (const std::string shard : {"1/2", "2/2"}) {
      const ZociRun run = Run({"inspect", "-p", "project", "--shard", shard, "--cache-dir", ".zoci-cache", "--format",
                               "sarif", "--summary"});
      ASSERT_EQ(run.exitCode, 0) << run.err;
      shards.push_back("shard-" + shard.substr(0, 1) + ".sarif");
      dir_.Write(shards.back(), run.out);
    }
    const size_t results = CachedResults(dir_.Path() / ".zoci-cache");
    EXPECT_EQ(results, push == 1 ? 3u : stored);  // one per file of the database, none added by the second push
    stored = results;
    const ZociRun again = Run({"merge-sarif", shards[0], shards[1]});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    if (push == 2) {
      EXPECT_EQ(again.out, merged.out);
    }
    merged = again;
  }
  EXPECT_EQ(ResolvedResults(merged.out), ResolvedResults(whole.out));
}

TEST_F(Zoci, AProjectRunNamesTheFilesItCouldNotInspectAndFails) {
  dir_.Write("broken/compile_commands.json",
             R"([{"directory": ".", "file": "gone.cpp", "arguments": ["c++", "-c", "gone.cpp"]},
                 {"directory": ".", "file": "here.cpp", "arguments": ["c++", "-c", "here.cpp"]}])");
  dir_.Write("broken/here.cpp", "int* here() { return 0; }\n");
  const ZociRun run = Run({"inspect", "-p", "broken", "--checks=-*,modernize-use-nullptr", "--summary", "--quiet"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.out.find("broken/here.cpp:1:22: warning: use nullptr"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("zoci: summary: 1 file inspected, 1 failed, 1 warning, 0 errors\n"
                         "  1\tmodernize-use-nullptr\nzoci: failed: broken/gone.cpp\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(Run({"inspect", "-p", "broken", "--files", "nothing"}).exitCode, 2);
}

TEST_F(Zoci, CFilesAreInspectedAsCUnlessTheLanguageIsGiven) {
  dir_.Write("plain.c", "#include <stddef.h>\nint *none(void) { return NULL; }\n");
  const std::vector<std::string> nullptrCheck = {"inspect", "--checks=-*,modernize-use-nullptr", "plain.c"};
  EXPECT_NE(Run(nullptrCheck).out.find("0 warnings"), std::string::npos);  // C has no nullptr
  std::vector<std::string> asCpp = nullptrCheck;
  asCpp.insert(asCpp.begin() + 1, "--x=c++");
  EXPECT_NE(Run(asCpp).out.find("plain.c:2:26: warning: use nullptr"), std::string::npos);
}

TEST_F(Zoci, DirectivesSkipLinesFilesAndSetOptions) {
  const ZociRun run = Run({"inspect", "directives/directives.cpp", "directives/skipped.cpp"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("directives/directives.cpp:13:16: warning: use nullptr"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("1 warning and 0 errors in 2 files"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("skipped.cpp: skipped by its zoCI:skipall directive"), std::string::npos);
}

TEST_F(Zoci, ChecksFromTheCommandLineComeOnTopOfTheConfigurationAndOptionsOverrideIt) {
  const ZociRun run = Run({"inspect", "--checks=-*,readability-braces-around-statements", "--option",
                           "readability-braces-around-statements.ShortStatementLines=2", Sample("utf8")});
  EXPECT_EQ(run.out.find("[modernize-"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("0 warnings"), std::string::npos) << run.out;  // every statement is short
  // As with clang-tidy: the command line's checks come on top of the configured
  // ones, and a --config-file stands alone, whatever .clang-tidy is above the file.
  dir_.Write("given.yaml", "Checks: 'modernize-use-nullptr'\n");
  dir_.Write("sub/a.cpp", "int* p = 0;\nint f(int a) { if (a) return 1; else return 2; }\nbool b = 1;\n");
  struct Case {
    std::string aboveTheFile;  ///< sub/.clang-tidy
    std::vector<std::string> arguments;
    std::vector<std::string> reported, notReported;
  };
  const std::vector<Case> cases = {
      {"Checks: '-*,modernize-use-nullptr'\n",
       {"--checks=readability-else-after-return"},
       {"modernize-use-nullptr", "readability-else-after-return"},
       {"modernize-use-bool-literals"}},
      {"Checks: '-*,modernize-use-bool-literals'\n",
       {"--config-file=given.yaml", "--checks=readability-else-after-return"},
       {"modernize-use-nullptr", "readability-else-after-return"},
       {"modernize-use-bool-literals"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    dir_.Write("sub/.clang-tidy", c.aboveTheFile);
    std::vector<std::string> arguments = {"inspect"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    arguments.push_back("sub/a.cpp");
    const ZociRun added = Run(arguments);
    for (const std::string& check : c.reported)
      EXPECT_NE(added.out.find("[" + check + "]"), std::string::npos) << added.out;
    for (const std::string& check : c.notReported)
      EXPECT_EQ(added.out.find("[" + check + "]"), std::string::npos) << added.out;
  }
}

TEST_F(Zoci, SarifPassesTheMultitoolsValidation) {
  const std::string multitool = ZOCI_SARIF_MULTITOOL;
  if (multitool.empty()) GTEST_SKIP() << "the SARIF multitool (npm @microsoft/sarif-multitool) is not installed";
  const ZociRun run =
      Run({"inspect", "--format=sarif", Sample("utf16le"), Sample("cp1252"), "project/src/main.cpp", "missing.cpp"});
  dir_.Write("out.sarif", run.out);
  // Exit code 1 means the validator itself failed to run (it exits 0 on an
  // invalid log); it has done so once under a loaded CI machine, so it gets
  // three tries and its whole output is shown.
  ZociRun validation;
  for (int attempt = 0; attempt < 3 && (attempt == 0 || validation.exitCode != 0); ++attempt)
    validation = Shell(multitool, {"validate", "--threads", "1", "out.sarif"});
  const std::string findings = validation.out + validation.err;
  ASSERT_EQ(validation.exitCode, 0) << findings;
  EXPECT_NE(findings.find("1 files scanned"), std::string::npos) << findings;
  EXPECT_EQ(findings.find(": error "), std::string::npos) << findings;  // the tool exits 0 even then
  EXPECT_EQ(findings.find(": warning "), std::string::npos) << findings;
}

TEST_F(Zoci, LogAndDumpFoldersReceiveTheRunsTexts) {
  const ZociRun run = Run({"inspect", "--log-dir", "logs", "--detailed", "--dump-dir", "dump", Sample("utf8")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  int logs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / "logs")) logs += entry.is_regular_file();
  EXPECT_EQ(logs, 4);
  EXPECT_FALSE(std::filesystem::is_empty(dir_.Path() / "dump"));
}

TEST_F(Zoci, FixTakesOnlyTheChosenChecksAndGivesAnUnsavedBufferBackOnStdout) {
  const std::string sample = Sample("utf8");
  ASSERT_EQ(Run({"inspect", "--fix", "--only", "modernize-use-nullptr", sample}).exitCode, 0);
  const std::string after = Read(sample);
  EXPECT_NE(after.find(": nullptr; }"), std::string::npos);
  EXPECT_NE(after.find("virtual double Total() const {"), std::string::npos);  // use-override not applied
  const std::string draft = Read("unsaved/draft.cpp");
  const ZociRun buffer = Run({"fix", "--stdin-buffer", "unsaved/draft.cpp"}, Read("unsaved/draft.cpp.edited"));
  ASSERT_EQ(buffer.exitCode, 0) << buffer.err;
  EXPECT_NE(buffer.out.find("formal ? \"Schöne Grüße\" : nullptr;"), std::string::npos) << buffer.out;
  EXPECT_EQ(Read("unsaved/draft.cpp"), draft);  // the file on disk is left alone
}

TEST_F(Zoci, AnotherAnsiCodePageIsReadAndWrittenInThatCodePage) {
  const std::string cp1251 =
      "#include <cstddef>\n// \xCF\xF0\xE8\xE2\xE5\xF2\nconst char* s = \"\xCC\xE8\xF0\"; int* p = NULL;\n";
  dir_.Write("a.cpp", cp1251);
  const auto zoci = [this](const std::string& command) {
    return Run({command, "--checks=-*,modernize-use-nullptr", "--ansi-code-page=1251", "a.cpp"});
  };
  const ZociRun run = zoci("inspect");
  EXPECT_NE(run.out.find("a.cpp:3:33: warning: use nullptr"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"Мир\""), std::string::npos) << run.out;  // shown in UTF-8
  ASSERT_EQ(zoci("fix").exitCode, 0);
  EXPECT_EQ(Read("a.cpp"), cp1251.substr(0, cp1251.size() - 6) + "nullptr;\n");
}

}  // namespace
}  // namespace zotest

namespace zotest {
namespace {

/// A copy of zoci beside links to the libraries, so that the copy can be made
/// newer than the build (as a rebuilt zoci or engine is).
std::filesystem::path RebuiltZoci(const TempDir& folder) {
  namespace fs = std::filesystem;
  const fs::path built = fs::path(ZOCI_EXE).parent_path();
  for (const auto& entry : fs::directory_iterator(built)) {
    if (entry.path().filename().string().find(".so") != std::string::npos) {
      fs::create_symlink(entry.path(), folder.Path() / entry.path().filename());
    }
  }
  fs::copy_file(ZOCI_EXE, folder.Path() / "zoci");
  fs::last_write_time(folder.Path() / "zoci", fs::last_write_time(ZOCI_EXE) + std::chrono::seconds(10));
  return folder.Path() / "zoci";
}

// Every input of a result changed in turn gives a fresh run (the cache folder
// gains a result), the same inputs again are served from the cache, and both
// print exactly what a run without the cache prints, source lines included.
TEST_F(Zoci, TheCacheRunsAgainWhenAnyInputChangesAndOtherwisePrintsTheSameResults) {
  dir_.Write("cached/.clang-tidy", "Checks: '-*,modernize-use-nullptr,readability-container-size-empty'\n");
  dir_.Write("cached/second/h.h", "#include <string>\ninline int* h() { return 0; }\n");
  dir_.Write("cached/main.cpp",
             "#include \"h.h\"\nint* p = 0;\nbool e(const std::string& s) { return s.size() == 0; }\n");
  const TempDir rebuiltFolder;
  const std::string rebuilt = RebuiltZoci(rebuiltFolder).string();
  const std::vector<std::string> base = {"inspect", "-I", (dir_.Path() / "cached/first").string(), "-I",
                                         (dir_.Path() / "cached/second").string()};
  struct Case {
    const char* what;
    std::function<void()> change;
    std::vector<std::string> arguments;  ///< after `base`
    std::string input;                   ///< standard input
    std::string program = ZOCI_EXE;
  };
  const std::vector<Case> cases = {
      {"the first run", [] {}, {"cached/main.cpp"}, ""},
      {"the main file's text",
       [this] { dir_.Write("cached/main.cpp", "#include \"h.h\"\nint* p = 0;  // changed\n"); },
       {"cached/main.cpp"},
       ""},
      {"an included header's text",
       [this] { dir_.Write("cached/second/h.h", "#include <string>\ninline int* h() { return 0; }  // changed\n"); },
       {"cached/main.cpp"},
       ""},
      {"a header now found earlier in the include path",
       [this] { dir_.Write("cached/first/h.h", "#include <string>\ninline int* h() { return nullptr; }\n"); },
       {"cached/main.cpp"},
       ""},
      {"an unsaved buffer of the main file",
       [] {},
       {"--stdin-buffer", "cached/main.cpp", "cached/main.cpp"},
       "#include \"h.h\"\nint* q = 0;\n"},
      {"another unsaved buffer",
       [] {},
       {"--stdin-buffer", "cached/main.cpp", "cached/main.cpp"},
       "#include \"h.h\"\nint* r = 0;\n"},
      {"the command line", [] {}, {"-DEXTRA=1", "cached/main.cpp"}, ""},
      {"the checks", [] {}, {"--checks=-readability-*", "cached/main.cpp"}, ""},
      {"a check option", [] {}, {"--option", "modernize-use-nullptr.NullMacros=MYNULL", "cached/main.cpp"}, ""},
      {"the .clang-tidy file",
       [this] { dir_.Write("cached/.clang-tidy", "Checks: '-*,modernize-use-nullptr'\n"); },
       {"cached/main.cpp"},
       ""},
      {"a directive",
       [this] { dir_.Write("cached/main.cpp", "#include \"h.h\"\nint* p = 0;  // zoCI:skip\n"); },
       {"cached/main.cpp"},
       ""},
      {"the program (a rebuilt zoci or engine)", [] {}, {"cached/main.cpp"}, "", rebuilt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    std::vector<std::string> arguments = base;
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const size_t before = CachedResults();
    const ZociRun fresh = Shell(c.program, arguments, c.input);
    EXPECT_EQ(CachedResults(), before + 1) << fresh.err;
    const ZociRun served = Shell(c.program, arguments, c.input);
    EXPECT_EQ(CachedResults(), before + 1);
    arguments.push_back("--no-cache");
    const ZociRun uncached = Shell(c.program, arguments, c.input);
    EXPECT_NE(fresh.out.find(" warning"), std::string::npos) << fresh.out << fresh.err;
    EXPECT_EQ(fresh.out.find("clang-diagnostic-error"), std::string::npos) << fresh.out;
    for (const ZociRun& run : {served, uncached}) {
      EXPECT_EQ(run.out, fresh.out);
      EXPECT_EQ(run.err, fresh.err);
      EXPECT_EQ(run.exitCode, fresh.exitCode);
    }
  }
}

}  // namespace
}  // namespace zotest
