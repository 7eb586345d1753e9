// Everything a zoci command line asks for, before any file is read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "file_io.h"
#include "header_filter.h"
#include "interop/inspection_settings.h"
#include "project_files.h"

namespace zoci {

using Quillfern::ZoCodeInspections::Native::InspectionSettings;
namespace ModeFlags = Quillfern::ZoCodeInspections::Native::ModeFlags;

enum class Command { inspect, fix, lsp, mergeSarif, version, help };
enum class OutputFormat { text, json, sarif };
enum class ColourMode { automatic, always, never };

struct Options {
  Command command = Command::help;
  std::vector<std::string> files;

  // What the library is given.
  InspectionSettings settings;
  uint32_t modeFlags = ModeFlags::editorAutoDetectUtf8;
  bool languageGiven = false;                 ///< --x given; otherwise ".c" files are C
  std::optional<std::string> checks;          ///< none: the .clang-tidy files above the source decide
  std::string fixlessChecks;
  std::map<std::string, std::string> checkOptions;
  std::string configFile;
  HeaderFilterTexts headerFilter;             ///< over the configuration's
  std::string compileDatabaseDir;             ///< -p; without files, every entry is inspected
  FileFilter fileFilter;                      ///< --files, --exclude, --shard
  bool convertToUtf8 = true;                  ///< the host library's conversion switch
  uint32_t ansiCodePage = 1252;
  std::optional<std::string> stdinBuffer;     ///< file whose unsaved text comes on standard input
  uint64_t maxFileBytes = kDefaultMaxFileBytes;  ///< larger sources are refused

  // What zoci does with the results.
  bool fix = false;
  std::string onlyChecks = "*";               ///< which checks' fixes to apply
  std::string warningsAsErrors;
  OutputFormat format = OutputFormat::text;
  ColourMode colour = ColourMode::automatic;
  unsigned jobs = 1;                          ///< the CPU count unless -j says otherwise
  bool quiet = false;                         ///< no progress line
  bool summary = false;                       ///< totals per check and failed files at the end
  std::string cacheDir;                       ///< empty: the default folder
  uint64_t cacheMaxBytes = uint64_t{1024} << 20;
  bool noCache = false;
  std::string logDir;
  std::string dumpDir;
  bool detailed = false;
  std::string tempDir;
};

/// The outcome of reading the command line: options, or a usage error.
struct ParsedCommandLine {
  std::optional<Options> options;
  std::string error;
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

/// The library's standard selector for a --std value such as "c++17".
std::optional<int32_t> StandardNumber(const std::string& standard);

/// The text of `zoci --help`.
std::string HelpText();

}  // namespace zoci
