#include "run/run_driver.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>

#include "dumps/files_report.h"
#include "hooks/hook_dispatcher.h"
#include "platform/platform.h"
#include "platform/string_printf.h"
#include "results/directives.h"
#include "results/qfix_order.h"
#include "results/qfix_text.h"
#include "run/check_options.h"
#include "run/diagnostic_intake.h"
#include "run/file_provider.h"
#include "run/output_sink.h"
#include "run/run_results.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

using ClangTidy::clfile;

int64_t SteadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int32_t Milliseconds(int64_t nanoseconds) { return static_cast<int32_t>(nanoseconds / 1000000); }

/// Everything one run works with; lives on the calling thread's stack.
struct RunContext {
  const RunRequest& request;
  CacheView& files;
  OutputSink& sink;
  FileProvider& provider;
  const CheckHook& hook;
  const std::string& mainFileFolder;
  std::string& runLog;
  std::unique_ptr<RunResult> result;
  std::set<RecordKey> fixesInOtherFiles;  ///< the intake's records whose fix also changes other files
};

/// Phase timestamps of a run: steady clock in ns for the phases' lengths,
/// wall clock in 100-ns ticks for the result's start and end times.
struct RunClock {
  int64_t started = 0;        ///< the run began preparing buffers
  int64_t engineCalled = 0;   ///< the engine was called
  int64_t engineReturned = 0;  ///< the engine returned its outputs
  int64_t intakeDone = 0;     ///< the diagnostics were converted
  int64_t engineCalledWall = 0;
  int64_t intakeDoneWall = 0;
};

void RegisterModifiedBuffers(const RunContext& run) {
  for (const auto& [name, text] : run.request.unsavedBuffers) {
    if (!text) continue;
    const std::string key = FileKeyOf(name);
    run.files.UseModifiedBuffer(run.request.state.cache.AddModifiedBuffer(key, name, name, text));
  }
}

/// The main file's record, its UTF-8 text and encoding (each may be missing).
struct MainFile {
  std::shared_ptr<clfile> record;
  std::shared_ptr<const std::string> text;
  std::optional<Encoding> encoding;
};

MainFile FetchMainFile(CacheView& files, std::string_view name) {
  MainFile main;
  main.record = files.GetFile(name, name, FileWanted::anyLoadable);
  if (!main.record) return main;
  std::lock_guard lock(main.record->mutex);
  if (!main.record->utf8Text.empty()) main.text = main.record->utf8Text.get();
  main.encoding = main.record->encoding;
  return main;
}

std::unique_ptr<RunResult> SkippedResult(const RunContext& run, int32_t status, const char* format,
                                         const char* directive = nullptr) {
  auto result = run.request.state.parses.NewRunResult();
  result->status = status;
  const std::string name(run.request.mainFile);
  result->logText = directive != nullptr ? StringPrintf(format, result->parseNumber, name.c_str(), directive)
                                         : StringPrintf(format, result->parseNumber, name.c_str());
  return result;
}

/// The main file's own exits: an incompatible encoding or a skip-all
/// directive. Empty when the run goes on.
std::unique_ptr<RunResult> ExitForMainFile(const RunContext& run, const MainFile& main) {
  if (run.request.settings.bomlessIsUtf8 && main.encoding == Encoding::ANSI) {
    return SkippedResult(run, RunStatus::incompatibleEncoding,
                         "*** Parse #%d (%s) skipped by incompatible encoding options ***\n\n");
  }
  if (HasSkipAllDirective(*main.text)) {
    return SkippedResult(run, RunStatus::skippedByDirective, "*** Parse #%d (%s) skipped by %s directive ***\n\n",
                         "zoCI:"
                         "skipall");  // split, or inspecting this file would skip it
  }
  return nullptr;
}

OptionOverrides GatherOptionOverrides(const std::string& text, std::string& runLog) {
  OptionOverrides overrides;
  for (const auto& [name, value] : OptionDirectives(text)) {
    overrides[name] = value;
    runLog += StringPrintf("'%s' option overridden with '%s'\n", name.c_str(), value.c_str());
  }
  return overrides;
}

/// The engine's full argument list: program, file, export and header
/// filter, then the translated arguments.
EngineArguments EngineCommandLine(const RunContext& run, const OptionOverrides& overrides) {
  std::optional<EngineArguments> arguments =
      ProcessParameters(run.request.commandLine, run.request.checkOptions, overrides);
  if (!arguments) throw std::runtime_error("ProcessParameters failed!");
  arguments->emplace_front("-header-filter=.*");
  arguments->emplace_front(std::string("-export-fixes=") + kFixesFileName);
  arguments->emplace_front(run.request.mainFile);
  arguments->emplace_front("clang-tidy.exe");
  return std::move(*arguments);
}

int32_t CallEngine(const RunContext& run, const EngineArguments& arguments) {
  std::vector<const char*> argv;
  argv.reserve(arguments.size());
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  const FileProviderCallback provider = std::ref(run.provider);
  OutputSink& sink = run.sink;
  IZOClangTidy& engine = run.request.engine;
  engine.SetOutputSink([&sink](const OutputKey& key, CapturedOutputs& outputs) { return sink(key, outputs); }, 0);
  engine.SetCheckHook(run.hook);
  const int32_t code = engine.Run(static_cast<int32_t>(argv.size()), argv.data(), &provider, run.mainFileFolder);
  engine.SetCheckHook(CheckHook());
  engine.SetOutputSink(OutputSinkCallback(), 0);
  return code;
}

/// The three captured outputs, taken out of the engine's map.
struct EngineOutputs {
  std::string errors;
  std::string fixesYaml;
};

EngineOutputs CollectOutputs(RunContext& run, int32_t code) {
  CapturedOutputs& captured = *run.sink.Captured();
  run.runLog += StringPrintf("clangTidy returned code: %d\n\n", code);
  run.runLog += TakeOutput(captured, StandardOutputKey());
  EngineOutputs outputs;
  outputs.errors = TakeOutput(captured, ErrorStreamKey());
  outputs.fixesYaml = TakeOutput(captured, FixesFileKey());
  captured.clear();
  return outputs;
}

/// Whether the engine refused to inspect: it rejected its configuration, its
/// arguments or its check selection. It then says why on its error stream,
/// returns non-zero and exports no fixes (an inspection that found compiler
/// errors exports them).
bool EngineRefused(int32_t code, const EngineOutputs& outputs) { return code != 0 && outputs.fixesYaml.empty(); }

void SortAndClaim(const RunContext& run, RunResult& result) {
  SortAndDeduplicate(result.qfixes);
  run.request.state.claims.ClaimReplacements(result, run.files, run.fixesInOtherFiles);
}

std::string ParametersText(const RunContext& run, const EngineArguments& arguments) {
  std::string text;
  for (const std::string& argument : arguments) text.append(argument).append("\n");
  for (const auto& [name, value] : run.request.checkOptions) {
    if (IsOwnCheckOption(name)) text.append(name).append("=").append(value).append("\n");
  }
  text += StringPrintf("Files without BOM regarded as: %s\n", run.request.settings.bomlessIsUtf8 ? "utf8" : "ansi");
  text += StringPrintf("VSTextEditor auto detect utf8: %s\n",
                       (run.request.modeFlags & ModeFlags::editorAutoDetectUtf8) != 0 ? "yes" : "no");
  return text;
}

void FillYamlText(const RunContext& run, RunResult& result, const std::string& fixesYaml) {
  std::string text = " *** yaml ***\n\n";
  text += fixesYaml;
  text += "\n\n\n *** results ***\n\n";
  for (const std::string& line : ResultsText(result.qfixes)) text += line + "\n";
  result.yamlText = text;
  run.request.state.lastYaml.Store(std::move(text));
}

std::string LogText(const RunContext& run, const RunResult& result, const RunClock& clock) {
  std::string text =
      StringPrintf("*** Parse #%d %s ***\n\n", result.parseNumber, result.status >= 100 ? "failed" : "succeeded");
  text += run.runLog;
  if (run.request.logging == RunLogging::detailed) {
    text += '\n';
    text += FilesReport(run.files, run.request.state.claims);
  }
  text += "\n*** Timing ***\n";
  text += StringPrintf(" * Prepare buffers: %dms\n", Milliseconds(clock.engineCalled - clock.started));
  text += StringPrintf(" * Clang tidy: %dms\n", Milliseconds(clock.engineReturned - clock.engineCalled));
  text += StringPrintf(" * Process diag: %dms\n", Milliseconds(clock.intakeDone - clock.engineReturned));
  return text;
}

/// The engine run and everything after it, once the main file allows it.
void RunEngineAndAssemble(RunContext& run, const OptionOverrides& overrides, RunClock& clock) {
  const EngineArguments arguments = EngineCommandLine(run, overrides);
  clock.engineCalled = SteadyNanoseconds();
  clock.engineCalledWall = Platform::WallClockTicks();
  const int32_t code = CallEngine(run, arguments);
  if (run.sink.Captured() == nullptr) {
    run.result = run.request.state.parses.NewRunResult();
    run.result->errorText = "*** clangtidy no output\n";
    return;
  }
  EngineOutputs outputs = CollectOutputs(run, code);
  clock.engineReturned = SteadyNanoseconds();
  run.result = run.request.state.parses.NewRunResult();
  const IntakeContext intake{run.request.engine,        run.files,  run.request.modeFlags, run.request.settings,
                             run.request.fixlessChecks, run.runLog, outputs.errors,        run.fixesInOtherFiles};
  DiagnosticIntake(outputs.fixesYaml, intake, *run.result);
  if (EngineRefused(code, outputs)) run.result->status = RunStatus::notRun;
  const bool detailed = run.request.logging == RunLogging::detailed;
  if (!detailed) std::string().swap(outputs.fixesYaml);  // read: only the detailed log shows it again
  clock.intakeDoneWall = Platform::WallClockTicks();
  clock.intakeDone = SteadyNanoseconds();
  run.request.state.lastYaml.Store(std::string());
  RunResult& result = *run.result;
  SortAndClaim(run, result);
  result.startTime = clock.engineCalledWall / 10000000;
  result.endTime = clock.intakeDoneWall / 10000000;
  result.parametersText = ParametersText(run, arguments);
  if (detailed) FillYamlText(run, result, outputs.fixesYaml);
  result.errorText = std::move(outputs.errors);
  result.logText = LogText(run, result, clock);
  result.filesRead = run.provider.Asked();
}

void RunBodySteps(RunContext& run) {
  RunClock clock;
  clock.started = SteadyNanoseconds();
  Platform::SetEnvironment("LLVM_DISABLE_CRASH_REPORT", "1");
  run.request.state.cache.UseSettings(run.files.Settings());
  RegisterModifiedBuffers(run);
  const MainFile main = FetchMainFile(run.files, run.request.mainFile);
  OptionOverrides overrides;
  if (main.text) {
    run.result = ExitForMainFile(run, main);
    if (run.result) return;
    overrides = GatherOptionOverrides(*main.text, run.runLog);
  }
  RunEngineAndAssemble(run, overrides, clock);
}

/// Runs the body; whatever it throws becomes the run's result.
void RunBody(RunContext& run) {
  try {
    RunBodySteps(run);
  } catch (const std::exception& e) {
    run.result = run.request.state.parses.NewRunResult();
    run.result->errorText = std::string("*** exception/2: ") + e.what() + "\n";
  } catch (...) {
    run.result = run.request.state.parses.NewRunResult();
    run.result->errorText = "*** exception/3\n";
  }
}

/// The main file's folder: lexically normalised, file name removed, the
/// trailing separator kept.
std::string MainFileFolder(std::string_view mainFile) {
  return std::filesystem::path(mainFile).lexically_normal().remove_filename().string();
}

}  // namespace

ConversionSettings ConversionSettingsOf(const InspectionSettings& settings, uint32_t modeFlags) {
  ConversionSettings conversion;
  conversion.convertAnsi = !settings.bomlessIsUtf8;
  conversion.autoDetectUtf8 = (modeFlags & ModeFlags::editorAutoDetectUtf8) != 0;
  return conversion;
}

std::unique_ptr<RunResult> RunOnWorker(const RunRequest& request) {
  if (request.engine.QueryInterfaceIdentity() != kInterfaceIdentity) return nullptr;
  OutputSink sink;
  std::string runLog;
  CacheView files(request.state.cache, request.conversion);
  FileProvider provider(files, runLog);
  const CheckHook hook = MakeCheckHook(&request.checkOptions);
  const std::string folder = MainFileFolder(request.mainFile);
  RunContext run{request, files, sink, provider, hook, folder, runLog, nullptr, {}};
  const bool ran = Platform::RunOnNewThread(kWorkerStackBytes, [&run] {
    try {
      RunBody(run);
    } catch (...) {
      // Nothing may end the worker abnormally; the result slot says what happened.
    }
  });
  if (!ran) return nullptr;
  return std::move(run.result);
}

}  // namespace Quillfern::ZoCodeInspections::Native
