#include "support/scripted_engine.h"

namespace zotest {

ScriptedEngine::ThreadState& ScriptedEngine::CallingThread() {
  std::lock_guard lock(mutex_);
  return threads_[std::this_thread::get_id()];
}

void ScriptedEngine::Record(std::string operation, std::vector<std::string> arguments) {
  std::lock_guard lock(mutex_);
  calls_.push_back({std::move(operation), std::move(arguments)});
}

EngineBuild ScriptedEngine::QueryBuild() {
  Record("QueryBuild");
  return EngineBuild{19, 1};
}

EngineIdentity ScriptedEngine::QueryInterfaceIdentity() {
  Record("QueryInterfaceIdentity");
  return script_.queryIdentity ? script_.queryIdentity() : script_.identity;
}

std::string ScriptedEngine::GetVersionText(bool flag) {
  Record("GetVersionText", {flag ? "true" : "false"});
  return script_.versionText + (flag ? "(true)" : "(false)");
}

int32_t ScriptedEngine::Run(int32_t argc, const char* const* argv, const FileProviderCallback* provider,
                            const std::optional<std::string>& mainFileFolder) {
  std::vector<std::string> arguments(argv, argv + argc);
  arguments.push_back("folder=" + mainFileFolder.value_or("<none>"));
  Record("Run", std::move(arguments));
  for (const auto& [name, path] : script_.fileRequests) {
    std::optional<ProvidedFile> answer;
    if (provider != nullptr && *provider) answer = (*provider)(name, path);
    std::lock_guard lock(mutex_);
    providerAnswers_.push_back(std::move(answer));
  }
  WriteOutputs();
  for (const uint32_t id : script_.hookCalls) {
    std::optional<HookArgs> answer;
    if (const CheckHook& hook = CallingThread().hook) answer = hook(id, HookArgs{});
    std::lock_guard lock(mutex_);
    hookAnswers_.push_back(std::move(answer));
  }
  if (script_.duringRun) script_.duringRun();
  return script_.exitCode;
}

void ScriptedEngine::WriteOutputs() {
  // Like the real engine, the map outlives the run: the library takes the
  // captured texts out after Run returns. Each run on a thread starts afresh.
  ThreadState& thread = CallingThread();
  thread.captured.clear();
  for (const auto& [key, text] : script_.outputs) {
    if (!thread.sink || !thread.sink(key, thread.captured)) continue;  // declined: the engine would write it itself
    auto& slot = thread.captured[key];
    if (!slot) slot = std::make_shared<std::string>();
    *slot += text;
  }
}

void ScriptedEngine::SetOutputSink(OutputSinkCallback sink, uint32_t reserved) {
  Record("SetOutputSink", {sink ? "set" : "empty", std::to_string(reserved)});
  CallingThread().sink = std::move(sink);
}

void ScriptedEngine::SetCheckHook(CheckHook hook) {
  Record("SetCheckHook", {hook ? "set" : "empty"});
  CallingThread().hook = std::move(hook);
}

std::optional<FixesFile> ScriptedEngine::ReadExportedFixes(const std::string& yaml) {
  Record("ReadExportedFixes", {yaml});
  return script_.readFixes ? script_.readFixes(yaml) : std::nullopt;
}

std::optional<std::vector<EngineReplacement>> ScriptedEngine::FinaliseReplacements(
    const std::string& fileKey, const std::string& utf8Text, const std::vector<EngineReplacement>& replacements) {
  Record("FinaliseReplacements", {fileKey, utf8Text});
  return script_.finalise ? script_.finalise(fileKey, utf8Text, replacements) : replacements;
}

uint32_t ScriptedEngine::ForwardedOperation(uint32_t a, uint32_t b, uint32_t c) {
  Record("ForwardedOperation", {std::to_string(a), std::to_string(b), std::to_string(c)});
  return a + b + c;
}

void ScriptedEngine::SetScript(EngineScript script) {
  std::lock_guard lock(mutex_);
  script_ = std::move(script);
}

std::vector<EngineCall> ScriptedEngine::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> ScriptedEngine::CallNames() const {
  std::vector<std::string> names;
  for (const auto& call : Calls()) names.push_back(call.operation);
  return names;
}

std::vector<std::optional<ProvidedFile>> ScriptedEngine::ProviderAnswers() const {
  std::lock_guard lock(mutex_);
  return providerAnswers_;
}

std::vector<std::optional<HookArgs>> ScriptedEngine::HookAnswers() const {
  std::lock_guard lock(mutex_);
  return hookAnswers_;
}

}  // namespace zotest
