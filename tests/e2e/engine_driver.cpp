#include "engine_driver.h"

#include <stdexcept>

#include "run/check_options.h"
#include "run/command_line.h"
#include "service/engine_loader.h"

namespace zotest {

IZOClangTidy& RealEngine() {
  static IZOClangTidy* engine = [] {
    EngineLoad load = LoadEngineFrom(ZOCI_ENGINE_FOLDER);
    if (load.engine == nullptr) throw std::runtime_error(load.error);
    return load.engine;
  }();
  return *engine;
}

std::vector<std::string> LibraryCompilerArgs(bool cplusplus, bool target64Bit) {
  InspectionSettings settings;
  settings.compileAsC = !cplusplus;
  settings.target64Bit = target64Bit;
  settings.languageStandard = 17;
  CheckOptions options;
  const auto line = BuildCommandLine(cplusplus ? "main.cpp" : "main.c", settings, 0, "", options);
  const auto arguments = line ? ProcessParameters(*line, options, {}) : std::nullopt;
  if (!arguments) throw std::runtime_error("the library built no command line");
  std::vector<std::string> compilerArgs;
  constexpr std::string_view kExtraArg = "-extra-arg=";
  for (const std::string& argument : *arguments) {
    if (argument.starts_with(kExtraArg)) compilerArgs.push_back(argument.substr(kExtraArg.size()));
  }
  return compilerArgs;
}

std::vector<std::string> NativeCompilerArgs(const std::vector<std::string>& libraryArgs) {
  std::vector<std::string> native;
  for (const std::string& arg : libraryArgs) {
    if (arg == "/TP") native.push_back("-xc++");
    else if (arg == "/TC") native.push_back("-xc");
    else if (arg != "-fms-compatibility" && arg != "-m32" && !arg.starts_with("-fms-compatibility-version="))
      native.push_back(arg);
  }
  return native;
}

std::vector<std::string> LibraryArguments(const EngineRequest& request) {
  std::vector<std::string> argv{"clang-tidy.exe", request.sourceFile, "-export-fixes=zofixes.yaml",
                                "-header-filter=.*"};
  if (request.checks) argv.push_back("-checks=" + *request.checks);
  for (const std::string& arg : request.compilerArgs) argv.push_back("-extra-arg=" + arg);
  if (!request.checkOptions.empty()) {
    argv.push_back(ConfigurationArgument({request.checkOptions.begin(), request.checkOptions.end()}));
  }
  if (request.checkProfile) argv.push_back("-enable-check-profile");
  return argv;
}

namespace {

std::string Take(CapturedOutputs& outputs, const OutputKey& key) {
  auto found = outputs.find(key);
  if (found == outputs.end() || !found->second) return {};
  return std::move(*found->second);
}

}  // namespace

std::vector<const char*> ArgvOf(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  return argv;
}

EngineRunResult RunEngine(IZOClangTidy& engine, const EngineRequest& request) {
  return RunArguments(engine, LibraryArguments(request), request);
}

EngineRunResult RunArguments(IZOClangTidy& engine, const std::vector<std::string>& arguments,
                             const EngineRequest& request) {
  const std::vector<const char*> argv = ArgvOf(arguments);
  CapturedOutputs* captured = nullptr;
  engine.SetOutputSink(
      [&captured](OutputKey, CapturedOutputs& outputs) {
        captured = &outputs;
        return true;
      },
      0);
  engine.SetCheckHook(request.hook);
  EngineRunResult result;
  result.exitCode = engine.Run(static_cast<int32_t>(argv.size()), argv.data(),
                               request.provider ? &request.provider : nullptr, request.mainFileFolder);
  engine.SetCheckHook({});
  engine.SetOutputSink({}, 0);
  if (captured != nullptr) {
    result.diagnostics = Take(*captured, std::string("-"));
    result.errors = Take(*captured, int32_t{2});
    result.fixesYaml = Take(*captured, std::string("zofixes.yaml"));
    captured->clear();
  }
  return result;
}

}  // namespace zotest
