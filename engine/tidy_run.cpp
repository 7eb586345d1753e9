#include "tidy_run.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>
#include <variant>
#include <vector>

#include <ClangTidy.h>
#include <ClangTidyDiagnosticConsumer.h>
#include <ClangTidyForceLinker.h>
#include <ClangTidyModule.h>
#include <clang/Basic/DiagnosticOptions.h>
#include <clang/Basic/FileManager.h>
#include <clang/Serialization/PCHContainerOperations.h>
#include <clang/Tooling/ArgumentsAdjusters.h>
#include <clang/Tooling/Tooling.h>
#include <llvm/ADT/STLExtras.h>
#include <llvm/ADT/StringExtras.h>
#include <llvm/Support/FileSystem.h>
#include <llvm/Support/MemoryBuffer.h>
#include <llvm/Support/Path.h>
#include <llvm/Support/TargetSelect.h>
#include <llvm/Support/VirtualFileSystem.h>
#include <llvm/Support/raw_ostream.h>

#include "check_profile.h"
#include "compiler_arguments.h"
#include "customised_checks.h"
#include "customised_run.h"
#include "diagnostic_printer.h"
#include "fixes_export.h"
#include "options_provider.h"
#include "preamble_builds.h"
#include "preamble_session.h"
#include "preamble_store.h"
#include "preprocessor_watch.h"
#include "provider_file_system.h"
#include "run_arguments.h"
#include "run_outputs.h"
#include "shared_state_checks.h"
#include "tidy_action.h"
#include "traversal_scope.h"
#include "unknown_names.h"

namespace zoe {

namespace {

using clang::tidy::ClangTidyError;

constexpr const char* kUsage =
    "usage: clang-tidy <source file> [-export-fixes=<file>] [-header-filter=<regex>] [-checks=<globs>] "
    "[-extra-arg=<compiler argument>]... [-config=<yaml>] [-enable-check-profile]\n";

/// Target descriptions are registered once per process.
void InitialiseTargets() {
  static std::once_flag once;
  std::call_once(once, [] {
    llvm::InitializeAllTargetInfos();
    llvm::InitializeAllTargetMCs();
    llvm::InitializeAllAsmParsers();
  });
}

/// The source file's absolute path, against the process's working folder.
std::string AbsoluteSourcePath(llvm::StringRef file) {
  file.consume_front("./");
  llvm::SmallString<256> path(file);
  llvm::sys::fs::make_absolute(path);
  llvm::sys::path::native(path);
  return std::string(path);
}

/// The main file's folder made absolute, without a trailing separator (it
/// becomes the build folder of every diagnostic); empty when none was given.
std::string WorkingFolder(const std::optional<std::string>& mainFileFolder) {
  if (!mainFileFolder || mainFileFolder->empty()) return {};
  llvm::SmallString<256> folder(*mainFileFolder);
  llvm::sys::fs::make_absolute(folder);
  llvm::sys::path::remove_dots(folder, /*remove_dot_dot=*/true);
  while (folder.size() > 1 && llvm::sys::path::is_separator(folder.back())) folder.pop_back();
  return std::string(folder);
}

/// The compiler command line, adjusted as clang-tidy adjusts every compile
/// command: syntax only, without outputs, with the configuration's extra
/// arguments, without plugins, and with the builtin headers of this clang.
std::vector<std::string> CompilerCommandLine(const std::vector<std::string>& extraArgs, const std::string& file,
                                             clang::tidy::ClangTidyContext& context) {
  std::vector<std::string> commandLine = DriverCommandLine(extraArgs, file);
  for (const auto& adjust :
       {clang::tooling::getClangStripOutputAdjuster(), clang::tooling::getClangSyntaxOnlyAdjuster(),
        clang::tooling::getClangStripDependencyFileAdjuster()}) {
    commandLine = adjust(commandLine, file);
  }
  const clang::tidy::ClangTidyOptions options = context.getOptionsForFile(file);
  if (options.ExtraArgsBefore) {
    commandLine.insert(commandLine.begin() + 1, options.ExtraArgsBefore->begin(), options.ExtraArgsBefore->end());
  }
  if (options.ExtraArgs) commandLine.insert(commandLine.end(), options.ExtraArgs->begin(), options.ExtraArgs->end());
  commandLine = clang::tooling::getStripPluginsAdjuster()(commandLine, file);
  const bool hasResourceDir = std::any_of(commandLine.begin(), commandLine.end(), [](const std::string& argument) {
    return llvm::StringRef(argument).starts_with("-resource-dir");
  });
  if (!hasResourceDir) commandLine.insert(commandLine.begin() + 1, "-resource-dir=" ZOE_RESOURCE_DIR);
  return commandLine;
}

/// What decides whether the checks watch the preprocessor: the enabled
/// checks, their options and the command line, with the source file reduced
/// to its extension (which picks the language).
std::string ConfigurationSignature(const std::vector<std::string>& checkNames,
                                   const clang::tidy::ClangTidyContext& context,
                                   const std::vector<std::string>& commandLine, const std::string& sourceFile) {
  std::vector<std::string> options;
  for (const auto& [name, option] : context.getOptions().CheckOptions) {
    options.push_back(name.str() + "=" + option.Value);
  }
  std::sort(options.begin(), options.end());
  std::string signature = llvm::join(checkNames, ",") + "\n" + llvm::join(options, "\n");
  for (const std::string& argument : commandLine) {
    signature.append("\n").append(argument == sourceFile ? llvm::sys::path::extension(argument).str() : argument);
  }
  return signature;
}

/// The static analyzer walks the translation unit on its own terms; its runs
/// never load a preamble.
bool AnalyzerEnabled(const std::vector<std::string>& checkNames) {
  return llvm::any_of(checkNames, [](llvm::StringRef check) { return check.starts_with("clang-analyzer-"); });
}

/// "Suppressed N warnings (...)." as the binary sums up what it left out.
void PrintSuppressedSummary(const clang::tidy::ClangTidyStats& stats, llvm::raw_ostream& errors) {
  if (stats.errorsIgnored() == 0) return;
  errors << "Suppressed " << stats.errorsIgnored() << " warnings (";
  llvm::StringRef separator;
  const std::pair<unsigned, llvm::StringRef> parts[] = {
      {stats.ErrorsIgnoredNonUserCode, " in non-user code"},
      {stats.ErrorsIgnoredLineFilter, " due to line filter"},
      {stats.ErrorsIgnoredNOLINT, " NOLINT"},
      {stats.ErrorsIgnoredCheckFilter, " with check filters"},
  };
  for (const auto& [count, reason] : parts) {
    if (count == 0) continue;
    errors << separator << count << reason;
    separator = ", ";
  }
  errors << ").\n";
  if (stats.ErrorsIgnoredNonUserCode) {
    errors << "Use -header-filter=.* to display errors from all non-system headers. Use -system-headers to display "
              "errors from system headers as well.\n";
  }
}

/// The run once its arguments are known.
class TidyRun {
 public:
  TidyRun(RunArguments arguments, const FileProviderCallback* provider, std::string workingFolder, RunOutputs& outputs)
      : arguments_(std::move(arguments)),
        outputs_(outputs),
        workingFolder_(std::move(workingFolder)),
        sourceFile_(AbsoluteSourcePath(arguments_.sourceFile)),
        files_(MakeRunFileSystem(provider, sourceFile_, compilerStarted_, outputs.Errors())) {
    if (!workingFolder_.empty()) files_->setCurrentWorkingDirectory(workingFolder_);
  }
  // A preamble built beside the run may read on; the provider is the run's.
  ~TidyRun() { EndProviderAnswers(*files_); }
  TidyRun(const TidyRun&) = delete;
  TidyRun& operator=(const TidyRun&) = delete;

  int32_t Run() {
    auto optionsProvider = MakeOptionsProvider(arguments_, files_, outputs_.Errors());
    if (!optionsProvider) return 1;
    clang::tidy::ClangTidyContext context(std::move(optionsProvider));
    std::optional<CheckProfile> profile;
    if (arguments_.checkProfile) {
      profile.emplace();
      context.setEnableProfiling(true);
      context.setProfileStoragePrefix(profile->StoragePrefix());
    }
    clang::tidy::ClangTidyDiagnosticConsumer collected(context);
    clang::DiagnosticsEngine checkDiagnostics(new clang::DiagnosticIDs(), new clang::DiagnosticOptions(), &collected,
                                              /*ShouldOwnClient=*/false);
    context.setDiagnosticsEngine(&checkDiagnostics);
    CustomisedRun::Current().Begin(checkDiagnostics, outputs_.Errors());
    RegisterCustomisedChecks();
    clang::tidy::ClangTidyASTConsumerFactory checks(context);
    context.setCurrentFile(sourceFile_);
    WarnAboutUnknownNames(context.getOptions(), outputs_.Errors());
    if (checks.getCheckNames().empty()) {
      outputs_.Errors() << "Error: no checks enabled.\n";
      return 1;
    }
    const auto turn = TakeTurnIfNeeded([&context](std::string_view check) { return context.isCheckEnabled(check); });
    Compile(context, checks, profile ? &*profile : nullptr, collected);
    std::vector<ClangTidyError> errors = collected.take();
    CustomisedRun::Current().Apply(errors);
    return Report(context, errors);
  }

 private:
  void Compile(clang::tidy::ClangTidyContext& context, clang::tidy::ClangTidyASTConsumerFactory& checks,
               const CheckProfile* profile, clang::tidy::ClangTidyDiagnosticConsumer& collected) {
    InitialiseTargets();
    const std::vector<std::string> commandLine = CompilerCommandLine(arguments_.extraArgs, sourceFile_, context);
    const std::vector<std::string> checkNames = checks.getCheckNames();
    const std::string signature = ConfigurationSignature(checkNames, context, commandLine, sourceFile_);
    PreambleSession preamble(PreambleStore::Shared(), BuildPreamblesBeside() ? &PreambleBuilds::Shared() : nullptr,
                             workingFolder_ + '\n' + llvm::join(commandLine, "\n"));
    bool mayUsePreamble = PreambleStore::Shared().Capacity() > 0 && !AnalyzerEnabled(checkNames);
    if (mayUsePreamble) {
      std::optional<bool> watches = ChecksWatchPreprocessor(signature);
      if (!watches) {
        watches = CreatedChecksWatchPreprocessor(checks, commandLine, collected);
        LearnChecksWatchPreprocessor(signature, *watches);
      }
      mayUsePreamble = !*watches || ReplayServesChecks(checkNames);
      preamble.SetChecksWatchPreprocessor(*watches);
    }
    const ChecksView view{
        .wholeUnit = ChecksNeedWholeUnit([&context](std::string_view check) { return context.isCheckEnabled(check); }),
        .everyPreprocessorEvent = !ReplayServesChecks(checkNames)};
    std::string summary;
    std::optional<bool> watched =
        CompileOnce(checks, commandLine, view, mayUsePreamble ? &preamble : nullptr, collected, summary);
    if (watched == true && preamble.Used() && (preamble.Events() == nullptr || replayFellShort_)) {
      // The checks watch the preprocessor after all and were not shown all
      // of the preamble's events: what the abandoned compile reported is
      // left out and the file compiled as usual.
      collected.take();
      summary.clear();
      watched = CompileOnce(checks, commandLine, view, nullptr, collected, summary);
    }
    if (watched) LearnChecksWatchPreprocessor(signature, *watched);
    DescribePreambleUse(preamble.Outcome(), PreambleStore::Shared(), outputs_.Diagnostics());
    // The binary's order: the profile (printed when the checks end), the
    // compiler's summary, then the failure.
    if (profile != nullptr) profile->PrintTable(outputs_.Errors());
    outputs_.Errors() << summary;
    if (!compiled_) outputs_.Errors() << "Error while processing " << sourceFile_ << ".\n";
  }

  /// Whether the checks register preprocessor callbacks, found by creating
  /// them for an empty main file (with the run's command line, since the
  /// language decides which checks exist) without running them.
  bool CreatedChecksWatchPreprocessor(clang::tidy::ClangTidyASTConsumerFactory& checks,
                                      const std::vector<std::string>& commandLine,
                                      clang::tidy::ClangTidyDiagnosticConsumer& collected) {
    auto emptySource = llvm::makeIntrusiveRefCnt<llvm::vfs::InMemoryFileSystem>();
    emptySource->addFile(sourceFile_, 0, llvm::MemoryBuffer::getMemBuffer(""));
    auto overlay = llvm::makeIntrusiveRefCnt<llvm::vfs::OverlayFileSystem>(files_);
    overlay->pushOverlay(emptySource);
    std::string summary;
    llvm::raw_string_ostream summaryStream(summary);
    TidyToolAction action(checks, summaryStream, compilerStarted_, ChecksView{}, nullptr, /*createOnly=*/true);
    llvm::IntrusiveRefCntPtr<clang::FileManager> fileManager(
        new clang::FileManager(clang::FileSystemOptions(), std::move(overlay)));
    clang::tooling::ToolInvocation invocation(commandLine, &action, fileManager.get(),
                                              std::make_shared<clang::PCHContainerOperations>());
    clang::IgnoringDiagConsumer ignored;
    invocation.setDiagnosticConsumer(&ignored);
    invocation.run();
    // The run's own compile starts with the driver's work again, and what
    // the checks said of an empty file is not the run's.
    compilerStarted_ = false;
    collected.take();
    return action.ChecksWatchedPreprocessor().value_or(true);
  }

  /// One compile of the source with the checks, which see `view` of it;
  /// answers whether the checks registered preprocessor callbacks (none when
  /// they were never created).
  std::optional<bool> CompileOnce(clang::tidy::ClangTidyASTConsumerFactory& checks,
                                  const std::vector<std::string>& commandLine, ChecksView view,
                                  PreambleSession* preamble, clang::DiagnosticConsumer& collected,
                                  std::string& summary) {
    llvm::raw_string_ostream summaryStream(summary);
    TidyToolAction action(checks, summaryStream, compilerStarted_, view, preamble);
    // The compiler shares the file manager by reference count.
    llvm::IntrusiveRefCntPtr<clang::FileManager> fileManager(
        new clang::FileManager(clang::FileSystemOptions(), files_));
    clang::tooling::ToolInvocation invocation(commandLine, &action, fileManager.get(),
                                              std::make_shared<clang::PCHContainerOperations>());
    invocation.setDiagnosticConsumer(&collected);
    compiled_ = invocation.run();
    replayFellShort_ = action.ReplayFellShort();
    return action.ChecksWatchedPreprocessor();
  }

  int32_t Report(clang::tidy::ClangTidyContext& context, const std::vector<ClangTidyError>& errors) {
    const bool colors = context.getOptions().UseColor.value_or(false);
    const unsigned promoted = PrintDiagnostics(errors, files_, colors, outputs_.Diagnostics());
    if (arguments_.exportFixes && !errors.empty() && !ExportFixes(errors)) return 1;
    llvm::raw_ostream& messages = outputs_.Errors();
    PrintSuppressedSummary(context.getStats(), messages);
    if (promoted != 0) {
      const llvm::StringRef plural = promoted == 1 ? "" : "s";
      messages << promoted << " warning" << plural << " treated as error" << plural << "\n";
      return 1;
    }
    const bool compilerErrors = std::any_of(errors.begin(), errors.end(), [](const ClangTidyError& error) {
      return error.DiagLevel == ClangTidyError::Error;
    });
    if (!compilerErrors) return 0;
    messages << "Found compiler error(s).\n";
    return 1;
  }

  bool ExportFixes(const std::vector<ClangTidyError>& errors) {
    return outputs_.WriteFixes(ExportedFixesYaml(sourceFile_, errors));
  }

  RunArguments arguments_;
  RunOutputs& outputs_;
  std::string workingFolder_;
  std::string sourceFile_;
  /// Set when the compiler proper starts; from then on the provider serves.
  bool compilerStarted_ = false;
  bool compiled_ = false;
  /// Set when the last compile could not show the checks all of the
  /// preamble's events.
  bool replayFellShort_ = false;
  llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> files_;
};

}  // namespace

int32_t RunTidy(int32_t argc, const char* const* argv, const FileProviderCallback* provider,
                const std::optional<std::string>& mainFileFolder) {
  RunOutputs outputs;
  int32_t exitCode = 1;
  auto parsed = ParseRunArguments(argc, argv);
  if (auto* refused = std::get_if<ArgumentError>(&parsed)) {
    outputs.Errors() << "error: " << refused->message << "\n" << kUsage;
  } else {
    auto& arguments = std::get<RunArguments>(parsed);
    const std::string folder = WorkingFolder(mainFileFolder);
    if (arguments.exportFixes) outputs.OfferFixes(*arguments.exportFixes, folder);
    exitCode = TidyRun(std::move(arguments), provider, folder, outputs).Run();
  }
  outputs.Finish();
  return exitCode;
}

}  // namespace zoe
