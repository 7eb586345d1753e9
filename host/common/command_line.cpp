// The zoci command line: one table of flags gives both the parser and the
// help text. Flags follow clang and clang-tidy spellings where those exist
// ("-I DIR" and "-IDIR", "--checks=X" and "--checks X").
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "options.h"

namespace zoci {
namespace {

/// A flag handler: stores `value` (empty for flags without value); returns an
/// error text, empty when the value was accepted.
using Handler = std::function<std::string(Options&, const std::string&)>;

struct Flag {
  std::vector<std::string> names;  ///< first one is shown in the help
  const char* value;               ///< metavariable, nullptr when the flag takes none
  const char* help;
  Handler handle;
  bool joined = false;             ///< also accepts the value glued on ("-Ifoo")
};

std::string ParseUnsigned(const std::string& text, uint32_t& out, const char* what) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  if (ec != std::errc() || end != text.data() + text.size())
    return std::string(what) + " must be a number, not '" + text + "'";
  return {};
}

std::string SetStandard(Options& o, const std::string& value) {
  const auto number = StandardNumber(value);
  if (!number) return "unknown --std '" + value + "' (c++11, c++14, c++17, c++20, c++latest)";
  o.settings.languageStandard = *number;
  return {};
}

std::string SetOption(Options& o, const std::string& value) {
  const size_t equals = value.find('=');
  if (equals == std::string::npos || equals == 0) return "--option needs NAME=VALUE, not '" + value + "'";
  o.checkOptions[value.substr(0, equals)] = value.substr(equals + 1);
  return {};
}

/// A handler that sets `field` to the value named by one of `choices`.
template <typename T>
Handler Choose(T Options::* field, const std::string& flag, std::vector<std::pair<std::string, T>> choices) {
  return [field, flag, choices = std::move(choices)](Options& o, const std::string& value) {
    std::string names;
    for (const auto& [name, choice] : choices) {
      if (name == value) return o.*field = choice, std::string();
      names += (names.empty() ? "" : ", ") + name;
    }
    return "unknown " + flag + " '" + value + "' (" + names + ")";
  };
}

std::string SetJobs(Options& o, const std::string& value) {
  uint32_t jobs = 0;
  if (std::string error = ParseUnsigned(value, jobs, "-j"); !error.empty()) return error;
  if (jobs == 0) return "-j must be at least 1";
  o.jobs = jobs;
  return {};
}

/// A handler that stores a regular expression after checking that it parses.
Handler StorePattern(std::string FileFilter::* field, const char* flag) {
  return [field, flag](Options& o, const std::string& value) {
    try {
      static_cast<void>(std::regex(value));  // throws when it does not parse
    } catch (const std::regex_error& bad) {
      return std::string(flag) + " '" + value + "' is not a regular expression: " + bad.what();
    }
    o.fileFilter.*field = value;
    return std::string();
  };
}

/// A handler that stores a header filter expression after checking that it parses.
Handler StoreHeaderFilter(std::optional<std::string> HeaderFilterTexts::* field) {
  return [field](Options& o, const std::string& value) {
    HeaderFilterTexts texts;
    texts.*field = value;
    std::string error;
    if (HeaderFilter::Compile(texts, error)) o.headerFilter.*field = value;
    return error;
  };
}

std::string SetShard(Options& o, const std::string& value) {
  const auto shard = ParseShard(value);
  if (!shard) return "--shard takes K/N with 1 <= K <= N, not '" + value + "'";
  o.fileFilter.shard = *shard;
  return {};
}

std::string SetMaxFileSize(Options& o, const std::string& value) {
  uint32_t mebibytes = 0;
  if (std::string error = ParseUnsigned(value, mebibytes, "--max-file-size"); !error.empty()) return error;
  if (mebibytes == 0) return "--max-file-size must be at least 1 (MiB)";
  o.maxFileBytes = uint64_t{mebibytes} << 20;
  return {};
}

std::string SetCacheSize(Options& o, const std::string& value) {
  uint32_t mebibytes = 0;
  if (std::string error = ParseUnsigned(value, mebibytes, "--cache-size"); !error.empty()) return error;
  if (mebibytes == 0) return "--cache-size must be at least 1 (MiB)";
  o.cacheMaxBytes = uint64_t{mebibytes} << 20;
  return {};
}

std::string SetLanguage(Options& o, const std::string& value) {
  if (value != "c" && value != "c++") return "--x takes c or c++, not '" + value + "'";
  o.settings.compileAsC = value == "c";
  o.languageGiven = true;
  return {};
}

/// A handler that appends the value to a list of the settings.
Handler Append(std::vector<std::string> InspectionSettings::* list) {
  return [list](Options& o, const std::string& value) {
    (o.settings.*list).push_back(value);
    return std::string();
  };
}

/// A path as a compiler reads it from its command line: relative to the
/// working folder (the library's runs count from the file's own folder).
/// With `onlyIfThere`, a path that names nothing there is kept as written, so
/// that the rest of the search finds it, as for "-include".
std::string FromWorkingFolder(const std::string& path, bool onlyIfThere) {
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
  if (failed || path.empty() || (onlyIfThere && !std::filesystem::exists(absolute, failed))) return path;
  return absolute.lexically_normal().string();
}

/// A handler that appends a path to a list of the settings (see FromWorkingFolder).
Handler AppendPath(std::vector<std::string> InspectionSettings::* list, bool onlyIfThere = false) {
  return [list, onlyIfThere](Options& o, const std::string& value) {
    (o.settings.*list).push_back(FromWorkingFolder(value, onlyIfThere));
    return std::string();
  };
}

/// A handler that sets a bool of the settings.
Handler SetSetting(bool InspectionSettings::* field, bool on) {
  return [field, on](Options& o, const std::string&) {
    o.settings.*field = on;
    return std::string();
  };
}

/// A handler that sets or clears a mode flag bit.
Handler SetMode(uint32_t bit, bool on) {
  return [bit, on](Options& o, const std::string&) {
    o.modeFlags = on ? (o.modeFlags | bit) : (o.modeFlags & ~bit);
    return std::string();
  };
}

/// A handler that stores the value into a string of the options.
Handler Store(std::string Options::* field) {
  return [field](Options& o, const std::string& value) {
    o.*field = value;
    return std::string();
  };
}

const std::vector<Flag>& Flags() {
  using S = InspectionSettings;
  // One flag a line: the table reads as the help text does.
  // clang-format off
  static const std::vector<Flag> flags = {
      {{"--checks"}, "LIST", "checks added to those of the .clang-tidy file (or --config-file), e.g. '-*,modernize-*'",
       [](Options& o, const std::string& v) { o.checks = v; return std::string(); }},
      {{"--config-file"}, "FILE", "read Checks, CheckOptions, WarningsAsErrors and the header filters from a .clang-tidy file", Store(&Options::configFile)},
      {{"--header-filter"}, "REGEX", "show diagnostics only in the headers whose path matches (searched, POSIX extended; default: all)", StoreHeaderFilter(&HeaderFilterTexts::include)},
      {{"--exclude-header-filter"}, "REGEX", "show no diagnostics in the headers whose path matches", StoreHeaderFilter(&HeaderFilterTexts::exclude)},
      {{"--option"}, "NAME=VALUE", "check option, e.g. readability-braces-around-statements.ShortStatementLines=2 (repeatable)", SetOption},
      {{"--fixless-checks"}, "LIST", "checks whose diagnostics are wanted even without a fix (with --no-keep-fixless)", Store(&Options::fixlessChecks)},
      {{"-I"}, "DIR", "include folder (relative to the working folder)", AppendPath(&S::includeFolders), true},
      {{"-isystem"}, "DIR", "system include folder; diagnostics inside it are dropped", AppendPath(&S::excludedFolders), true},
      {{"-D"}, "NAME[=VALUE]", "macro definition", Append(&S::defines), true},
      {{"-include"}, "FILE", "file included before the source (looked for in the working folder first)", AppendPath(&S::forcedIncludes, true), true},
      {{"--extra-arg"}, "ARG", "compiler argument passed on verbatim (repeatable)", Append(&S::additionalArguments)},
      {{"--std", "-std"}, "STD", "C++ standard: c++11, c++14, c++17, c++20, c++latest", SetStandard},
      {{"--x", "-x"}, "LANG", "c or c++: the language of the sources (default: C for .c files)", SetLanguage, true},
      {{"-m32"}, nullptr, "32-bit target", SetSetting(&S::target64Bit, false)},
      {{"-m64"}, nullptr, "64-bit target (default)", SetSetting(&S::target64Bit, true)},
      {{"-p"}, "DIR", "folder of compile_commands.json: include folders, defines, forced includes and standard per file", Store(&Options::compileDatabaseDir), true},
      {{"--toolset"}, "vNNN", "platform toolset, e.g. v142", [](Options& o, const std::string& v) { o.settings.platformToolset = v; return std::string(); }},
      {{"--ide-version"}, "X.Y", "IDE version, e.g. 16.4", [](Options& o, const std::string& v) { o.settings.ideVersion = v; return std::string(); }},
      {{"--header-ext"}, ".EXT", "extension that makes a file a header, in any letter case (repeatable; default .h .hh .hpp .hxx .inl)", Append(&S::headerExtensions)},
      {{"--extensionless-headers"}, nullptr, "files without extension are headers", SetSetting(&S::extensionlessIsHeader, true)},
      {{"--header-include"}, "FILE", "file included first when a header itself is inspected", [](Options& o, const std::string& v) { o.settings.headerForcedInclude = v; return std::string(); }},
      {{"--allow-headers"}, nullptr, "inspect header files named on the command line", SetMode(ModeFlags::allowHeaderFile, true)},
      {{"--main-file-only"}, nullptr, "report only diagnostics in the inspected file itself", SetMode(ModeFlags::mainFileOnly, true)},
      {{"--skip-errors"}, nullptr, "drop compiler errors", SetSetting(&S::skipErrors, true)},
      {{"--keep-fixless"}, nullptr, "keep diagnostics without a fix (default)", SetSetting(&S::keepFixlessDiagnostics, true)},
      {{"--no-keep-fixless"}, nullptr, "drop diagnostics without a fix (except --fixless-checks)", SetSetting(&S::keepFixlessDiagnostics, false)},
      {{"--profile-checks"}, nullptr, "ask the engine for check profiling (see --log-dir)", SetSetting(&S::profileChecks, true)},
      {{"--skip-run"}, nullptr, "answer every file with an empty result without running the engine", SetSetting(&S::skipRun, true)},
      {{"--bomless-utf8"}, nullptr, "files without byte order mark are UTF-8 (not the ANSI code page)", SetSetting(&S::bomlessIsUtf8, true)},
      {{"--no-utf8-detection"}, nullptr, "BOM-less files that are valid UTF-8 count as ANSI, as an editor without UTF-8 detection shows them", SetMode(ModeFlags::editorAutoDetectUtf8, false)},
      {{"--ansi-code-page"}, "N", "code page of ANSI files (default 1252)", [](Options& o, const std::string& v) { return ParseUnsigned(v, o.ansiCodePage, "--ansi-code-page"); }},
      {{"--no-convert"}, nullptr, "do not offer converted (UTF-8) buffers to the engine", [](Options& o, const std::string&) { o.convertToUtf8 = false; return std::string(); }},
      {{"--max-file-size"}, "MIB", "refuse sources larger than this many MiB (default 64)", SetMaxFileSize},
      {{"--stdin-buffer"}, "FILE", "inspect standard input as the unsaved text of FILE (fix: the fixed text goes to standard output)", [](Options& o, const std::string& v) { o.stdinBuffer = v; return std::string(); }},
      {{"--fix"}, nullptr, "apply the fixes after inspecting (as 'zoci fix')", [](Options& o, const std::string&) { o.fix = true; return std::string(); }},
      {{"--only"}, "GLOB", "apply only the fixes of these checks (glob list)", Store(&Options::onlyChecks)},
      {{"--warnings-as-errors"}, "GLOB", "diagnostics of these checks are errors and make the exit code 1 (added to the configuration's WarningsAsErrors)", Store(&Options::warningsAsErrors)},
      {{"--format"}, "FORMAT", "text (default), json or sarif",
       Choose(&Options::format, "--format", {{"text", OutputFormat::text}, {"json", OutputFormat::json}, {"sarif", OutputFormat::sarif}})},
      {{"--color"}, "WHEN", "auto (default: when standard output is a terminal), always, never",
       Choose(&Options::colour, "--color", {{"auto", ColourMode::automatic}, {"always", ColourMode::always}, {"never", ColourMode::never}})},
      {{"-j"}, "N", "inspect N files at once, one parser each (default: the number of CPUs)", SetJobs, true},
      {{"--files"}, "REGEX", "inspect only the files whose path matches (searched, ECMAScript)", StorePattern(&FileFilter::include, "--files")},
      {{"--exclude"}, "REGEX", "leave out the files whose path matches", StorePattern(&FileFilter::exclude, "--exclude")},
      {{"--shard"}, "K/N", "inspect the K-th of N parts of the files, split by size the same way on every machine", SetShard},
      {{"--quiet"}, nullptr, "no progress line on the terminal", [](Options& o, const std::string&) { o.quiet = true; return std::string(); }},
      {{"--summary"}, nullptr, "at the end, totals per check and the files that could not be inspected", [](Options& o, const std::string&) { o.summary = true; return std::string(); }},
      {{"--cache-dir"}, "DIR", "keep results there and reuse them for unchanged inputs (default: $XDG_CACHE_HOME/zoci, else ~/.cache/zoci)", Store(&Options::cacheDir)},
      {{"--cache-size"}, "MIB", "keep the cache folder under this many MiB, dropping the least recently used results (default 1024)", SetCacheSize},
      {{"--no-cache"}, nullptr, "neither reuse nor store results", [](Options& o, const std::string&) { o.noCache = true; return std::string(); }},
      {{"--log-dir"}, "DIR", "write each run's log, parameters and errors (and with --detailed the YAML) there", Store(&Options::logDir)},
      {{"--detailed"}, nullptr, "detailed logging", [](Options& o, const std::string&) { o.detailed = true; return std::string(); }},
      {{"--dump-dir"}, "DIR", "after the runs, dump buffers, mappers and fixes into DIR", Store(&Options::dumpDir)},
      {{"--temp-dir"}, "DIR", "folder for the engine's temporary files", Store(&Options::tempDir)},
  };
  // clang-format on
  return flags;
}

/// The flag `argument` names, with the value glued to it when there is one.
const Flag* FindFlag(const std::string& argument, std::optional<std::string>& glued) {
  for (const Flag& flag : Flags()) {
    for (const std::string& name : flag.names) {
      if (argument == name) return &flag;
      if (!argument.starts_with(name)) continue;
      if (argument[name.size()] == '=') {
        glued = argument.substr(name.size() + 1);
        return &flag;
      }
      if (flag.value && flag.joined) {
        glued = argument.substr(name.size());
        return &flag;
      }
    }
  }
  return nullptr;
}

std::optional<Command> CommandNamed(const std::string& word) {
  if (word == "inspect") return Command::inspect;
  if (word == "fix") return Command::fix;
  if (word == "lsp") return Command::lsp;
  if (word == "--version" || word == "version") return Command::version;
  if (word == "merge-sarif") return Command::mergeSarif;
  if (word == "--help" || word == "-h" || word == "help") return Command::help;
  return std::nullopt;
}

ParsedCommandLine Fail(std::string error) { return ParsedCommandLine{std::nullopt, std::move(error)}; }

}  // namespace

std::optional<int32_t> StandardNumber(const std::string& standard) {
  static const std::map<std::string, int32_t> kStandards = {
      {"c++11", 11},   {"c++14", 14},   {"c++17", 17},   {"c++20", 20},     {"c++2a", 20},
      {"c++23", 99},   {"c++2b", 99},   {"c++26", 99},   {"c++latest", 99}, {"gnu++11", 11},
      {"gnu++14", 14}, {"gnu++17", 17}, {"gnu++20", 20}, {"gnu++23", 99}};
  const auto found = kStandards.find(standard);
  if (found == kStandards.end()) return std::nullopt;
  return found->second;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  Options options;
  options.settings.keepFixlessDiagnostics = true;
  options.settings.target64Bit = true;
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  if (arguments.empty()) return Fail("no command given; try 'zoci --help'");
  const auto command = CommandNamed(arguments[0]);
  if (!command) return Fail("unknown command '" + arguments[0] + "'; try 'zoci --help'");
  options.command = *command;
  options.fix = *command == Command::fix;
  bool onlyFiles = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (onlyFiles || argument.empty() || argument[0] != '-' || argument == "-") {
      options.files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      onlyFiles = true;
      continue;
    }
    if (argument == "--help" || argument == "-h") {
      options.command = Command::help;
      continue;
    }
    std::optional<std::string> value;
    const Flag* flag = FindFlag(argument, value);
    if (!flag) return Fail("unknown option '" + argument + "'; try 'zoci --help'");
    if (flag->value && !value) {
      if (i + 1 >= arguments.size()) return Fail("option '" + argument + "' needs a value (" + flag->value + ")");
      value = arguments[++i];
    }
    if (!flag->value && value) return Fail("option '" + flag->names[0] + "' takes no value");
    if (std::string error = flag->handle(options, value.value_or("")); !error.empty()) return Fail(error);
  }
  if (options.settings.headerExtensions.empty())
    options.settings.headerExtensions = {".h", ".hh", ".hpp", ".hxx", ".inl"};
  const bool needsFiles = options.command == Command::inspect || options.command == Command::fix;
  const bool project = !options.compileDatabaseDir.empty();
  if (needsFiles && options.files.empty() && !options.stdinBuffer && !project) {
    return Fail("no input files (or -p DIR for every file of DIR/compile_commands.json); try 'zoci --help'");
  }
  if (options.command == Command::mergeSarif && options.files.empty())
    return Fail("merge-sarif needs SARIF files to merge");
  return ParsedCommandLine{std::move(options), {}};
}

std::string HelpText() {
  std::ostringstream text;
  text << "usage: zoci inspect [options] FILE...   print diagnostics the way clang does\n"
          "       zoci inspect -p DIR [options]    every file of DIR/compile_commands.json\n"
          "       zoci fix [options] FILE...       inspect, then apply the fixes in place\n"
          "       zoci merge-sarif FILE...         the SARIF logs of several runs as one\n"
          "       zoci lsp [options]               language server on standard input and output\n"
          "       zoci --version                   the engine's version, through the library\n\n"
          "Lines and columns are 1-based; columns count UTF-16 code units of the file's\n"
          "text (as the IDE's editor counts them), whatever the file's encoding on disk.\n"
          "JSON and SARIF offsets are UTF-16 code units from the start of the text,\n"
          "not counting a byte order mark.\n\n"
          "Exit codes: 0 inspected (warnings alone do not fail), 1 a compiler error or a\n"
          "diagnostic matched by WarningsAsErrors or --warnings-as-errors, 2 usage error,\n"
          "unreadable file or failed run.\n\noptions:\n";
  std::vector<std::string> names;
  size_t width = 0;  // the widest flag's, so that the help texts stand in one column
  for (const Flag& flag : Flags()) {
    std::string& line = names.emplace_back();
    for (const std::string& name : flag.names) line += (line.empty() ? "" : ", ") + name;
    if (flag.value) line += std::string(" ") + flag.value;
    width = std::max(width, line.size());
  }
  for (size_t i = 0; i < names.size(); ++i) {
    text << "  " << names[i] << std::string(width + 2 - names[i].size(), ' ') << Flags()[i].help << "\n";
  }
  return text.str();
}

}  // namespace zoci
