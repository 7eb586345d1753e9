// Inspecting one file through the library the way an IDE does: a parser per
// file with its settings, the host's own UTF-16 text as the reference for
// every position, and the final replacements of each fix by its claim token.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "compile_database.h"
#include "file_io.h"
#include "interop/qfix.h"
#include "options.h"
#include "parser_switch.h"
#include "report.h"
#include "tidy_config.h"

namespace zoci {

class ResultCache;
class FileDigests;

/// The result cache as the files of one zoci run use it.
struct CacheUse {
  ResultCache& store;
  FileDigests& digests;
  std::string tool;  ///< ToolIdentity() of this run
};

/// One file to inspect; `unsavedBytes` replaces its disk contents (an editor's buffer).
struct FileJob {
  std::string path;  ///< as named on the command line
  std::optional<std::string> unsavedBytes;
  /// The editor's open texts by absolute path; the job's own one, when there,
  /// is the text inspected.
  Quillfern::ZoCodeInspections::Native::UnsavedBuffers editorBuffers;
  /// When given, lets another thread switch the run's parser off.
  std::shared_ptr<ParserSwitch> parserSwitch;
};

/// What inspecting one file produced: its outcome plus the texts it read.
struct FileOutcome {
  InspectedFile file;
  std::map<std::string, HostText> sources;
  std::map<std::string, std::string> diskBytes;
  std::set<std::string> misread;  ///< files the library read as another text than zoci
  std::string logText;  ///< the run's log
  /// The files the run read or looked for (absolute paths, as the library names them).
  std::vector<std::string> filesRead;
};

/// The settings shared by every file of a zoci run. Inspect may be called
/// from several threads at once.
class Inspector {
 public:
  /// `config` is --config-file's; without it each file gets the nearest
  /// .clang-tidy above it (read here too, so that a file zoci cannot read
  /// fails its run instead of being passed over).
  /// With `cache`, results of unchanged inputs are reused and new ones stored.
  Inspector(const Options& options, std::optional<CompileDatabase> database, std::optional<TidyConfig> config,
            CacheUse* cache = nullptr);
  FileOutcome Inspect(const FileJob& job) const;

 private:
  /// The checks, check options and header filter for `path`: the command line's over the configuration's.
  bool ConfigFor(const std::string& path, RunConfig& config, std::string& error) const;

  const Options& options_;
  std::optional<CompileDatabase> database_;
  std::optional<TidyConfig> config_;
  CacheUse* cache_;
};

/// How zoci decodes files under `options`.
DecodeRules DecodeRulesOf(const Options& options);

/// The library's replacements as zoci's edits (UTF-16 spans of the host text,
/// UTF-8 texts); none when a replacement text cannot be read (EngineTextAsUtf8).
std::optional<std::vector<TextEdit>> EditsOf(
    const std::vector<Quillfern::ZoCodeInspections::Native::repl>& replacements);

/// The final edits of the fixes claimed under `tokens` (one file's), finalised
/// together as one change and sorted for ApplyEdits; none when the library
/// cannot (a fix without a claim, replacements that meet).
std::optional<std::vector<TextEdit>> FinalEditsTogether(const std::vector<int32_t>& tokens);

}  // namespace zoci
