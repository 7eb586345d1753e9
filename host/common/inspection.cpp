// One file's inspection (see inspection.h).
#include "inspection.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <set>

#include "cached_outcome.h"
#include "file_digests.h"
#include "file_io.h"
#include "file_uri.h"
#include "fixing.h"
#include "glob.h"
#include "interop/interop2.h"
#include "printed_check_names.h"
#include "result_cache.h"
#include "run_logs.h"
#include "run_problems.h"
#include "sha256.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;
namespace Native = Quillfern::ZoCodeInspections::Native;

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code failed;
  const bool same = fs::equivalent(a, b, failed);
  return failed ? fs::path(a).lexically_normal() == fs::path(b).lexically_normal() : same;
}

/// A file the engine named, relative to the working folder when inside it.
std::string DisplayPath(const std::string& engineName) {
  std::error_code failed;
  const fs::path relative = fs::path(engineName).lexically_relative(fs::current_path(failed));
  const bool inside = !failed && !relative.empty() && *relative.begin() != "..";
  return inside ? relative.string() : engineName;
}

/// The per-file state while one file's results are turned into the host's terms.
class FileInspection {
 public:
  FileInspection(const Options& options, const FileJob& job, CacheUse* cache)
      : options_(options), job_(job), cache_(cache) {
    outcome_.file.path = job.path;
    absolute_ = AbsolutePath(job.path);
  }

  FileOutcome Run(const InspectionSettings& settings, const RunConfig& config) {
    config_ = &config;
    if (options_.fix && config.formatsFixes) {
      AddNote(
          "its fixes are not formatted: zoci does not apply the configuration's FormatStyle "
          "(clang-format formats the fixed file)");
    }
    const auto started = fs::file_time_type::clock::now();
    std::string error;
    if (!TakeEditorText(absolute_, job_.path) && !Load(job_.path, job_.unsavedBytes, error)) {
      Fail(error);
      return std::move(outcome_);
    }
    std::optional<std::string> cacheKey;
    if (cache_ && Cacheable(settings)) {
      try {
        std::error_code ignored;  // no working folder: paths are shown as the engine names them
        cacheKey = RecipeKey(RunRecipe{cache_->tool, fs::current_path(ignored).string(), job_.path, DigestOf(absolute_),
                                       &options_, &settings, &config});
        if (Reuse(*cacheKey)) return std::move(outcome_);
      } catch (const std::exception&) {
        cacheKey.reset();  // inputs the cache cannot name (a path that is not UTF-8): the run goes without it
      }
    }
    Native::UnsavedBuffers buffers = job_.editorBuffers;
    if (job_.unsavedBytes) {
      buffers[absolute_] = std::make_shared<const std::u16string>(outcome_.sources.at(job_.path).text);
    }
    Native::CheckOptions options(config.checkOptions.begin(), config.checkOptions.end());
    const std::unique_ptr<Native::IZoFileParser> parser(Native::interop2().CreateFileParser(absolute_, settings));
    if (job_.parserSwitch) job_.parserSwitch->Attach(parser.get());
    const std::unique_ptr<Native::RunResult> result =
        parser->Parse(options_.modeFlags, buffers, config.checks, options_.fixlessChecks, options);
    if (job_.parserSwitch) job_.parserSwitch->Attach(nullptr);
    if (job_.parserSwitch && job_.parserSwitch->IsOff()) {
      Fail(job_.path + ": switched off by a newer request");
      return std::move(outcome_);
    }
    if (!result) return NoResult(*parser, config.checks, options);
    WriteRunLogs(options_, job_.path, *result);
    if (Judge(*result)) {
      Convert(*result);
      NoteHiddenErrors(result->errorText);
    }
    outcome_.logText = std::move(result->logText);
    outcome_.filesRead = result->filesRead;
    try {
      if (cacheKey) Keep(*cacheKey, result->filesRead, started);
    } catch (const std::exception&) {
      // Not stored (a path that is not UTF-8, no memory): the next run inspects it again.
    }
    return std::move(outcome_);
  }

 private:
  /// Whether a stored outcome can stand for this run: not when fixing (fixes
  /// are applied through the run's own claims), nor when the run's logs or the
  /// library's state are asked for, nor for a parser another thread may switch off.
  bool Cacheable(const InspectionSettings& settings) const {
    return !options_.fix && options_.logDir.empty() && options_.dumpDir.empty() && !settings.skipRun &&
           !job_.parserSwitch;
  }

  /// The digest of a file as the library is given it: an unsaved buffer's
  /// text, else the file on disk; empty when it does not exist.
  std::string DigestOf(const std::string& path) const {
    const auto buffer = job_.editorBuffers.find(path);
    if (buffer != job_.editorBuffers.end() && buffer->second) {
      const std::u16string& text = *buffer->second;
      return std::string("u").append(
          Sha256Hex(std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * 2)));
    }
    if (job_.unsavedBytes && path == absolute_) return std::string("b").append(Sha256Hex(*job_.unsavedBytes));
    return cache_->digests.Of(path).digest;
  }

  /// Takes the stored outcome of `key` when there is one for the files as
  /// they are now, with the texts it shows read again.
  bool Reuse(const std::string& key) {
    const auto record = cache_->store.Lookup(key, [this](const std::string& path) { return DigestOf(path); });
    auto stored = record ? ParseOutcomeRecord(*record) : std::nullopt;
    if (!stored || stored->file.path != job_.path) return false;
    for (const std::string& path : stored->sources) {
      std::string ignored;
      if (outcome_.sources.contains(path) || Load(path, std::nullopt, ignored)) continue;
      for (const std::string& loaded : stored->sources) {
        outcome_.sources.erase(loaded);
        outcome_.diskBytes.erase(loaded);
      }
      return false;  // a file it shows is gone: run again
    }
    outcome_.file = std::move(stored->file);
    outcome_.misread = std::move(stored->misread);
    return true;
  }

  /// Stores the outcome under `key` with the files the run read. Not a failed
  /// run (it may do better next time), nor one whose files changed while it ran.
  void Keep(const std::string& key, const std::vector<std::string>& filesRead, fs::file_time_type started) {
    if (outcome_.file.failed) return;
    std::set<std::string> paths(filesRead.begin(), filesRead.end());
    paths.insert(absolute_);
    std::vector<CacheDependency> dependencies;
    for (const std::string& path : paths) {
      const FileState disk = cache_->digests.Of(path);
      // File times come from a clock that may lag the one read at the start by a tick.
      if (!disk.digest.empty() && disk.modified >= started - std::chrono::milliseconds(20)) return;
      dependencies.push_back({path, DigestOf(path)});
    }
    StoredOutcome stored{outcome_.file, outcome_.misread, {}};
    for (const auto& [path, text] : outcome_.sources) {
      if (path != job_.path) stored.sources.push_back(path);
    }
    cache_->store.Store(key, dependencies, OutcomeRecord(stored));
  }

  void Fail(std::string error) {
    outcome_.file.failed = true;
    outcome_.file.error = std::move(error);
  }

  /// Puts the editor's text of the file at `absolute` into the outcome's
  /// sources as `shown`; false when the editor has no text of it.
  bool TakeEditorText(const std::string& absolute, const std::string& shown) {
    const auto editorText = job_.editorBuffers.find(absolute);
    if (editorText == job_.editorBuffers.end() || !editorText->second) return false;
    outcome_.sources[shown].text = *editorText->second;
    return true;
  }

  /// Reads and decodes one file (the job's buffer for the job's own file)
  /// into the outcome's sources; false with `error` when it cannot.
  bool Load(const std::string& path, const std::optional<std::string>& unsaved, std::string& error) {
    std::string bytes;
    if (unsaved) bytes = *unsaved;
    else if (!ReadFileBytes(path, bytes, error, options_.maxFileBytes)) return false;
    auto text = DecodeHostText(bytes, DecodeRulesOf(options_), error);
    if (!text) {
      error = path + ": " + error;
      return false;
    }
    if (!unsaved) NoteUnconvertedReading(path, *text);
    outcome_.sources[path] = std::move(*text);
    if (!unsaved) outcome_.diskBytes[path] = std::move(bytes);
    return true;
  }

  /// With --no-convert the engine reads an ANSI file's own bytes, while the
  /// library maps its positions in the converted text, where a character
  /// beyond ASCII takes more bytes: positions after the first are off, so the
  /// file is never fixed.
  void NoteUnconvertedReading(const std::string& path, const HostText& text) {
    if (options_.convertToUtf8 || text.encoding != FileEncoding::ansi || !outcome_.misread.insert(path).second) return;
    AddNote(path +
            " was read by the engine unconverted (--no-convert); positions after its first character beyond "
            "ASCII are off");
  }

  void AddNote(const std::string& note) { outcome_.file.note += (outcome_.file.note.empty() ? "" : "; ") + note; }

  /// Why the parser gave no result. A header that may not be inspected is
  /// what the library's own test says it is: it builds no command line.
  FileOutcome NoResult(Native::IZoFileParser& parser, const std::string& checks, const Native::CheckOptions& options) {
    bool header = false;
    if (!(options_.modeFlags & ModeFlags::allowHeaderFile)) {
      try {
        header = !parser.BuildCommandLine(options_.modeFlags, checks, options).has_value();
      } catch (const std::exception&) {
        // Not a header question: the command line itself cannot be built.
      }
    }
    if (header) outcome_.file.note = "header file not inspected (--allow-headers inspects it)";
    else Fail(job_.path + ": the library produced no result");
    return std::move(outcome_);
  }

  /// Whether the run produced diagnostics worth reading; records why not.
  bool Judge(const Native::RunResult& result) {
    if (result.status == Native::RunStatus::skippedByDirective) {
      // Split, so that this file does not carry the directive it names.
      outcome_.file.note =
          "skipped by its zoCI:"
          "skipall directive";
      return false;
    }
    if (result.status == Native::RunStatus::notRun && options_.settings.skipRun) {
      outcome_.file.note = "not run (--skip-run)";
      return false;
    }
    if (result.status == Native::RunStatus::incompatibleEncoding) {
      Fail(job_.path + ": the file is in the ANSI code page but BOM-less files are read as UTF-8 (--bomless-utf8)");
      return false;
    }
    if (result.status >= 100 || result.errorText.starts_with("*** exception/")) {  // the run itself failed
      Fail(job_.path + ": " + FailureMessage(result.errorText, result.logText));
      return false;
    }
    outcome_.file.warnings = RunProblems(result.errorText);
    return true;
  }

  /// The path under which a diagnostic's file is shown, its text loaded;
  /// worked out once per file the engine names.
  const std::string& SourceOf(const std::string& engineName) {
    const auto known = shownPaths_.find(engineName);
    if (known != shownPaths_.end()) return known->second;
    std::string shown = SameFile(engineName, absolute_) ? job_.path : DisplayPath(engineName);
    std::string ignored;  // an unreadable file is shown without its source lines
    if (!outcome_.sources.contains(shown) && !TakeEditorText(AbsolutePath(engineName), shown)) {
      Load(shown, std::nullopt, ignored);
    }
    return shownPaths_.emplace(engineName, std::move(shown)).first->second;
  }

  /// Whether a record's diagnostic is shown: always in the inspected file and
  /// for compiler errors (a file that does not compile must say so), in other
  /// files as the header filter decides, once per file.
  bool Shown(const Native::qfix& record) {
    if (record.checkname == "clang-diagnostic-error") return true;
    const auto [known, added] = headerShown_.try_emplace(record.filename, true);
    if (added) known->second = SameFile(record.filename, absolute_) || config_->headerFilter.Shows(record.filename);
    return known->second;
  }

  /// Turns the records into diagnostics, releasing each record once read so
  /// that a run's findings are not held twice.
  void Convert(Native::RunResult& result) {
    const PrintedCheckNames printed(result.logText);
    for (Native::qfix& record : result.qfixes) {
      if (!Shown(record)) {
        record = Native::qfix();
        continue;
      }
      Diagnostic diagnostic;
      diagnostic.file = SourceOf(record.filename);
      CheckSameText(diagnostic.file, record.fileText);
      diagnostic.check = record.checkname;
      diagnostic.aliases = printed.AliasesOf(record.filename, record.triggerLine, record.message, record.checkname);
      diagnostic.message = EngineTextAsUtf8(record.message).value_or(record.message);
      diagnostic.offset = record.triggerspan.start;
      diagnostic.length = record.triggerspan.length;
      diagnostic.promoted = !config_->warningsAsErrors.empty() &&
                            MatchesGlobList(config_->warningsAsErrors, diagnostic.check, diagnostic.aliases);
      diagnostic.error = diagnostic.promoted || record.checkname == "clang-diagnostic-error";
      if (!record.actions.empty()) Fix(diagnostic, record.actions.front());
      outcome_.file.diagnostics.push_back(std::move(diagnostic));
      record = Native::qfix();
    }
    result.qfixes.clear();
  }

  /// A file that does not compile must not pass for clean when the library
  /// dropped every error (outside the file with --main-file-only, in a
  /// system include folder, on a line a directive skips): one error at the
  /// file's start says so, unless errors are dropped on request.
  void NoteHiddenErrors(const std::string& errorText) {
    const std::vector<Diagnostic>& diagnostics = outcome_.file.diagnostics;
    if (options_.settings.skipErrors || !CompilerReportedErrors(errorText) ||
        std::any_of(diagnostics.begin(), diagnostics.end(), std::mem_fn(&Diagnostic::CompilerError))) {
      return;
    }
    Diagnostic hidden;
    hidden.file = job_.path;
    hidden.check = "clang-diagnostic-error";
    hidden.error = true;
    hidden.message =
        "the compiler reported errors that are not shown (outside the file with --main-file-only, "
        "under an -isystem folder, or on a line a directive skips)";
    outcome_.file.diagnostics.insert(outcome_.file.diagnostics.begin(), std::move(hidden));
  }

  /// Notes once per file when the library read it as another text than zoci
  /// (then positions, which refer to the library's text, may be off). Each
  /// file is compared once, however many diagnostics point into it.
  void CheckSameText(const std::string& shown, const std::shared_ptr<const std::u16string>& libraryText) {
    const auto source = outcome_.sources.find(shown);
    if (!libraryText || source == outcome_.sources.end() || !compared_.insert(shown).second) return;
    std::u16string_view theirs = *libraryText;
    if (!theirs.empty() && theirs.front() == u'\uFEFF') theirs.remove_prefix(1);
    if (theirs == source->second.text) return;
    if (!outcome_.misread.insert(shown).second) return;
    AddNote(shown + " was read by the library in another encoding than " + EncodingName(source->second) +
            "; positions follow the library's reading");
  }

  /// Whether the diagnostic's fix needs its final replacements: the ones fixing
  /// applies, and the ones JSON and SARIF report. Asking costs an engine call
  /// per fix, so the text output shows the run's own replacements.
  bool WantsFinalFix(const Diagnostic& diagnostic) const {
    if (options_.fix) return MatchesGlobList(options_.onlyChecks, diagnostic.check, diagnostic.aliases);
    return options_.format != OutputFormat::text;
  }

  /// The fix's replacements: the final ones (as the IDE gets them when the
  /// user applies the fix) when wanted and given, else the run's own.
  void Fix(Diagnostic& diagnostic, const Native::action& action) const {
    diagnostic.claimToken = action.claimToken;
    // Its replacements come as if all were in this file: applied, they would break it.
    if (action.claimToken > 0 && Native::interop2().FixChangesOtherFiles(static_cast<uint32_t>(action.claimToken))) {
      diagnostic.fixLeftOut = "it changes another file too, which zoci does not edit";
      return;
    }
    std::optional<std::vector<TextEdit>> own = EditsOf(action.replacements);
    std::optional<std::vector<TextEdit>> final = std::vector<TextEdit>();
    if (action.claimToken > 0 && WantsFinalFix(diagnostic)) {
      final = EditsOf(Native::interop2().GetFixReplacements(static_cast<uint32_t>(action.claimToken)).replacements);
    }
    if (!own || !final) {
      diagnostic.fixLeftOut = "its replacement text cannot be read as text of the file";
      return;
    }
    diagnostic.fix = std::move(*final);
    (diagnostic.fix.empty() ? diagnostic.fix : diagnostic.ownFix) = std::move(*own);
  }

  const Options& options_;
  const FileJob& job_;
  CacheUse* cache_;
  std::string absolute_;
  FileOutcome outcome_;
  std::set<std::string> compared_;  ///< files whose text was compared with the library's
  std::map<std::string, std::string> shownPaths_;  ///< the shown path of each file the engine named
  const RunConfig* config_ = nullptr;              ///< the run's
  std::map<std::string, bool> headerShown_;        ///< whether diagnostics are shown, by the engine's file name
};

/// The selection a --config-file's checks start from: none of the checks of
/// the .clang-tidy files above the source, then the engine's defaults.
constexpr const char* kStandAloneChecks = "-*,clang-diagnostic-*,clang-analyzer-*";

/// Whether every forced include that exists is a regular file (a FIFO would hang the run).
bool ForcedIncludesReadable(const InspectionSettings& settings, std::string& error) {
  for (const std::string& include : settings.forcedIncludes) {
    if (!IsReadableSource(include, error)) return false;
  }
  return settings.headerForcedInclude.empty() || IsReadableSource(settings.headerForcedInclude, error);
}

}  // namespace

std::optional<std::vector<TextEdit>> EditsOf(const std::vector<Native::repl>& replacements) {
  std::vector<TextEdit> edits;
  edits.reserve(replacements.size());
  for (const Native::repl& r : replacements) {
    std::optional<std::string> text = EngineTextAsUtf8(r.text);
    if (!text) return std::nullopt;
    edits.push_back(TextEdit{r.span.start, r.span.length, std::move(*text)});
  }
  return edits;
}

DecodeRules DecodeRulesOf(const Options& options) {
  return DecodeRules{options.settings.bomlessIsUtf8, (options.modeFlags & ModeFlags::editorAutoDetectUtf8) != 0,
                     options.ansiCodePage};
}

Inspector::Inspector(const Options& options, std::optional<CompileDatabase> database, std::optional<TidyConfig> config,
                     CacheUse* cache)
    : options_(options), database_(std::move(database)), config_(std::move(config)), cache_(cache) {}

bool Inspector::ConfigFor(const std::string& path, RunConfig& config, std::string& error) const {
  std::optional<TidyConfig> tidy = config_;
  std::string tidyFile = options_.configFile;
  if (!tidy) {
    tidyFile = FindTidyConfigFile(path).value_or("");
    tidy = tidyFile.empty() ? TidyConfig{} : ReadTidyConfig(tidyFile, error);
    if (!tidy || !InheritFromAbove(*tidy, tidyFile, error)) return false;
  }
  // As with clang-tidy, --checks adds to (and may switch off) the configured checks.
  config.checks = tidy->checks.value_or("");
  config.warningsAsErrors = JoinedGlobs(tidy->warningsAsErrors.value_or(""), options_.warningsAsErrors);
  // A --config-file stands alone, as clang-tidy's does: the engine reads the
  // .clang-tidy files above the source in any case, so their checks are
  // switched off here and the engine's own defaults named again.
  if (config_) config.checks = JoinedGlobs(kStandAloneChecks, config.checks);
  if (options_.checks) config.checks = JoinedGlobs(config.checks, *options_.checks);
  config.checkOptions = tidy->checkOptions;
  for (const auto& [name, value] : options_.checkOptions) config.checkOptions[name] = value;
  config.headerFilterTexts = Overlaid(tidy->headerFilter, options_.headerFilter);
  config.formatsFixes = tidy->formatStyle.value_or("none") != "none";
  // The command line's expressions were checked when it was read: a bad one here is the file's.
  std::optional<HeaderFilter> filter = HeaderFilter::Compile(config.headerFilterTexts, error);
  if (!filter) error = tidyFile + ": " + error;
  else config.headerFilter = std::move(*filter);
  return filter.has_value();
}

FileOutcome Inspector::Inspect(const FileJob& job) const {
  InspectionSettings settings = options_.settings;
  if (!options_.languageGiven && fs::path(job.path).extension() == ".c") settings.compileAsC = true;
  std::string error;
  const auto flags = database_ ? database_->FlagsOf(job.path) : std::nullopt;
  if (flags) {
    ApplyCompileFlags(*flags, settings);
    if (!flags->error.empty()) error = job.path + ": " + flags->error;
  }
  RunConfig config;
  if (!error.empty() || !ForcedIncludesReadable(settings, error) || !ConfigFor(job.path, config, error)) {
    FileOutcome outcome;
    outcome.file = InspectedFile{job.path, true, error, {}, {}, {}};
    return outcome;
  }
  FileOutcome outcome = FileInspection(options_, job, cache_).Run(settings, config);
  // Said of a run that says nothing else: not of a header left alone or a skipped file.
  if (flags && !flags->borrowedFrom.empty() && !outcome.file.failed && outcome.file.note.empty()) {
    outcome.file.note = "no compile command of its own: inspected with that of " + flags->borrowedFrom +
                        ", the nearest in the compile database";
  }
  if (flags && !flags->otherTarget.empty()) {
    outcome.file.warnings.push_back("its compile command targets " + flags->otherTarget +
                                    ", which zoci does not take: it is inspected for x86, whose type sizes and "
                                    "predefined macros may differ");
  }
  return outcome;
}

std::optional<std::vector<TextEdit>> FinalEditsTogether(const std::vector<int32_t>& tokens) {
  std::vector<uint32_t> claims;
  for (const int32_t token : tokens) {
    if (token <= 0) return std::nullopt;
    claims.push_back(static_cast<uint32_t>(token));
  }
  const Native::FixReplacements together = Native::interop2().GetFixesReplacements(claims);
  if (together.fileKey.empty()) return std::nullopt;
  std::optional<std::vector<TextEdit>> edits = EditsOf(together.replacements);
  if (edits) SortForApplying(*edits);
  return edits;
}

}  // namespace zoci
