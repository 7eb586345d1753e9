// zoci inspect / fix / --version (see commands.h): sets up the library as an
// IDE host does, inspects, prints the report, applies fixes.
#include "commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>

#include "cached_outcome.h"
#include "file_digests.h"
#include "fixing.h"
#include "hostlib/zoipc.h"
#include "interop/interop2.h"
#include "machine_report.h"
#include "parallel_runs.h"
#include "project_files.h"
#include "result_cache.h"
#include "run_summary.h"
#include "sarif_merge.h"
#include "text_report.h"
#include "tidy_config.h"

namespace zoci {
namespace {

namespace Native = Quillfern::ZoCodeInspections::Native;

void PrintError(const std::string& message) { std::fprintf(stderr, "zoci: error: %s\n", message.c_str()); }

int Failure(const std::string& message) {
  PrintError(message);
  return kExitFailed;
}

/// `path` relative to the working folder when it lies below it, as a user
/// would name it.
std::string AsNamed(const std::string& path) {
  std::error_code failed;
  const std::filesystem::path relative =
      std::filesystem::path(path).lexically_proximate(std::filesystem::current_path(failed));
  const bool below = !failed && !relative.empty() && *relative.begin() != "..";
  return below ? relative.string() : path;
}

/// The files this run inspects: those named, or else every entry of the
/// compile database; narrowed by --files, --exclude and --shard. None with
/// `error` when the filters leave nothing of a non-empty list.
std::optional<std::vector<std::string>> InputFiles(const Options& options,
                                                   const std::optional<CompileDatabase>& database, std::string& error) {
  std::vector<std::string> listed = options.files;
  if (listed.empty() && database) {
    for (const std::string& file : database->Files()) listed.push_back(AsNamed(file));
  }
  FileFilter unsharded = options.fileFilter;
  unsharded.shard = Shard{};
  if (!listed.empty() && SelectFiles(listed, unsharded, FileSizeOrZero).empty()) {
    error = "no file matches --files and --exclude";
    return std::nullopt;
  }
  return SelectFiles(listed, options.fileFilter, FileSizeOrZero);
}

/// The files to inspect, each once: a file named again (by another path or
/// through a link) is inspected and fixed under its first name only.
std::vector<std::string> DistinctFiles(const std::vector<std::string>& files) {
  std::map<std::pair<dev_t, ino_t>, std::string> seen;
  std::vector<std::string> distinct;
  for (const std::string& path : files) {
    struct stat info{};
    if (stat(path.c_str(), &info) == 0) {
      const auto [first, isNew] = seen.emplace(std::make_pair(info.st_dev, info.st_ino), path);
      if (!isNew) {
        std::fprintf(stderr, "zoci: %s: the same file as %s; inspected once\n", path.c_str(), first->second.c_str());
        continue;
      }
    }
    distinct.push_back(path);
  }
  return distinct;
}

std::vector<FileJob> Jobs(const Options& options, const std::vector<std::string>& files,
                          const std::optional<std::string>& unsaved) {
  std::vector<FileJob> jobs;
  bool bufferListed = false;
  for (const std::string& path : DistinctFiles(files)) {
    const bool isBuffer = options.stdinBuffer && path == *options.stdinBuffer;
    jobs.push_back(FileJob{path, isBuffer ? unsaved : std::nullopt, {}, nullptr});
    bufferListed = bufferListed || isBuffer;
  }
  if (options.stdinBuffer && !bufferListed)
    jobs.insert(jobs.begin(), FileJob{*options.stdinBuffer, unsaved, {}, nullptr});
  return jobs;
}

Report Collect(std::vector<FileOutcome> outcomes, std::string version) {
  Report report;
  report.engineVersion = std::move(version);
  for (FileOutcome& outcome : outcomes) {
    report.files.push_back(std::move(outcome.file));
    report.sources.merge(outcome.sources);
    report.diskBytes.merge(outcome.diskBytes);
    report.misread.merge(outcome.misread);
  }
  return report;
}

bool WantsColour(const Options& options) {
  if (options.colour == ColourMode::automatic) return isatty(STDOUT_FILENO) != 0;
  return options.colour == ColourMode::always;
}

void PrintReport(const Options& options, const Report& report) {
  if (options.format == OutputFormat::json) WriteJsonReport(report, std::cout);
  else if (options.format == OutputFormat::sarif) WriteSarifReport(report, std::cout);
  else WriteTextReport(report, TextStyle{WantsColour(options)}, std::cout);
  std::cout.flush();
}

/// Writes one file's fixed text back, or to standard output when it is the
/// unsaved buffer; false after reporting why not.
bool WriteFixed(const Options& options, const Report& report, const std::string& path, const std::u16string& fixed) {
  const HostText& text = report.sources.at(path);
  const auto disk = report.diskBytes.find(path);
  std::string error;
  if (disk == report.diskBytes.end()) {
    const auto bytes = EncodeHostText(fixed, text, error);
    if (bytes) std::cout << *bytes;
    else PrintError(path + ": " + error);
    return bytes.has_value();
  }
  if (options.stdinBuffer) {
    std::fprintf(stderr, "zoci: %s: not written: with --stdin-buffer only the buffer is fixed\n", path.c_str());
    return true;
  }
  if (report.misread.contains(path)) {
    PrintError(path + ": not written: its positions were counted in another reading of it than zoci's (" +
               EncodingName(text) + "), so its fixes would land in the wrong places");
    return false;
  }
  if (!WriteBack(path, fixed, text, disk->second, error)) {
    PrintError(error);
    return false;
  }
  return true;
}

/// Applies the planned fixes, each file's together where the library can
/// finalise them as one change; false when a file could not be written.
bool ApplyFixes(const Options& options, const Report& report) {
  const FixPlan plan = PlanFixes(report, options.onlyChecks);
  for (const std::string& message : plan.skipped) std::fprintf(stderr, "zoci: %s\n", message.c_str());
  bool ok = true;
  for (const auto& [path, tokens] : plan.together) {
    auto edits = FinalEditsTogether(tokens);
    int count = static_cast<int>(tokens.size());
    if (!edits) {
      edits = plan.edits.at(path);
      count = plan.fixCount.contains(path) ? plan.fixCount.at(path) : 0;
      if (const auto skipped = plan.cleanupSkipped.find(path); skipped != plan.cleanupSkipped.end()) {
        for (const std::string& message : skipped->second) std::fprintf(stderr, "zoci: %s\n", message.c_str());
      }
    }
    if (edits->empty()) continue;
    const std::u16string fixed = ApplyEdits(report.sources.at(path).text, *edits);
    if (!WriteFixed(options, report, path, fixed)) {
      ok = false;
    } else if (report.diskBytes.contains(path) && !options.stdinBuffer) {
      std::fprintf(stderr, "zoci: %s: applied %d fix%s (%s)\n", path.c_str(), count, count == 1 ? "" : "es",
                   EncodingName(report.sources.at(path)).c_str());
    }
  }
  return ok;
}

/// The result cache this run uses, none with --no-cache or when it has no
/// folder (said on the error stream).
std::unique_ptr<ResultCache> OpenResultCache(const Options& options) {
  if (options.noCache || options.fix) return nullptr;  // fixes go through the run's own claims
  const std::filesystem::path folder =
      options.cacheDir.empty() ? DefaultCacheFolder() : std::filesystem::path(options.cacheDir);
  if (folder.empty()) {
    std::fprintf(stderr,
                 "zoci: no result cache: neither XDG_CACHE_HOME nor HOME is set (--cache-dir names a folder)\n");
    return nullptr;
  }
  auto cache = std::make_unique<ResultCache>(folder, options.cacheMaxBytes);
  if (std::string error; !cache->Ready(error)) {
    std::fprintf(stderr, "zoci: no result cache: %s\n", error.c_str());
    return nullptr;
  }
  return cache;
}

bool DumpCaches(const Options& options) {
  if (options.dumpDir.empty()) return true;
  std::error_code failed;
  std::filesystem::create_directories(options.dumpDir, failed);
  if (failed) {
    PrintError("cannot create " + options.dumpDir + ": " + failed.message());
    return false;
  }
  const std::string folder = options.dumpDir;
  zoIPC::host::SetFolderChooser([folder](const std::string&) { return std::optional<std::string>(folder); });
  Native::interop2().DumpToChosenFolder();
  zoIPC::host::SetFolderChooser(nullptr);
  return true;
}

/// Says on the error stream which files failed, what the library noted and
/// which runs had problems.
void PrintFileProblems(const Report& report) {
  for (const InspectedFile& file : report.files) {
    if (file.failed) PrintError(file.error);
    else if (!file.note.empty()) std::fprintf(stderr, "zoci: %s: %s\n", file.path.c_str(), file.note.c_str());
    for (const std::string& warning : file.warnings) {
      std::fprintf(stderr, "zoci: warning: %s: %s\n", file.path.c_str(), warning.c_str());
    }
  }
}

int ExitCode(const Report& report, bool fixesOk, bool dumpOk) {
  bool failed = !fixesOk || !dumpOk, errors = false;
  for (const InspectedFile& file : report.files) {
    failed = failed || file.failed;
    for (const Diagnostic& diagnostic : file.diagnostics) errors = errors || diagnostic.error;
  }
  if (failed) return kExitFailed;
  return errors ? kExitErrors : kExitInspected;
}

}  // namespace

int RunInspect(const Options& options) {
  std::optional<TidyConfig> config;
  std::optional<CompileDatabase> database;
  if (std::string error; !LoadProjectFiles(options, config, database, error)) return Failure(error);
  std::optional<std::string> unsaved;
  std::string error;
  if (options.stdinBuffer &&
      !ReadStreamBytes(std::cin, "standard input", unsaved.emplace(), error, options.maxFileBytes)) {
    return Failure(error);
  }
  // Each file is inspected once per process here, so a preamble kept for a
  // next run would only cost its build; ZOCI_PREAMBLES set by the user wins.
  setenv("ZOCI_PREAMBLES", "0", /*overwrite=*/0);
  const auto version = InitializeLibrary(options, error);
  if (!version) return Failure(error);
  const auto files = InputFiles(options, database, error);
  if (!files) return Failure(error);
  const std::unique_ptr<ResultCache> cache = OpenResultCache(options);
  FileDigests digests;
  std::optional<CacheUse> cacheUse;
  if (cache) cacheUse.emplace(CacheUse{*cache, digests, ToolIdentity(*version)});
  const Inspector inspector(options, std::move(database), std::move(config), cacheUse ? &*cacheUse : nullptr);
  const Report report =
      Collect(InspectAll(inspector, Jobs(options, *files, unsaved), options.jobs, !options.quiet), *version);
  if (cache) cache->Evict();
  const bool bufferFix = options.fix && options.stdinBuffer;  // the fixed buffer takes standard output
  if (!bufferFix) PrintReport(options, report);
  const bool fixesOk = !options.fix || ApplyFixes(options, report);
  const bool dumpOk = DumpCaches(options);
  PrintFileProblems(report);
  if (options.summary) std::fputs(RunSummary(report).c_str(), stderr);
  return ExitCode(report, fixesOk, dumpOk);
}

int RunMergeSarif(const Options& options) {
  std::vector<std::pair<std::string, std::string>> logs;
  for (const std::string& path : options.files) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Failure("cannot read " + path);
    logs.emplace_back(path, std::string(std::istreambuf_iterator<char>(in), {}));
  }
  std::string error;
  const auto merged = MergeSarif(logs, error);
  if (!merged) return Failure(error);
  std::cout << *merged;
  std::cout.flush();
  return std::cout ? kExitInspected : Failure("cannot write the merged log");
}

int RunVersion() {
  const std::string text = Native::interop2().Initialize(std::string(), false);
  if (text.starts_with("error: ")) return Failure(text.substr(7));
  std::printf("zoci 0.1.0 (%s)\n", text.c_str());
  return kExitInspected;
}

}  // namespace zoci
