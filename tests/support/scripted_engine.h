// A scripted engine for unit tests: it plays back a script (which files to ask
// the provider for, which outputs to offer and write, which hooks to call,
// what the YAML reader and the finaliser answer) and records every call.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "contract/engine_interface.h"

namespace zotest {

using namespace Quillfern::ZoCodeInspections::Native;

/// What the scripted engine does and answers.
struct EngineScript {
  EngineIdentity identity = kInterfaceIdentity;
  std::function<EngineIdentity()> queryIdentity;  ///< by default `identity` (may throw)
  std::string versionText = "scripted";           ///< GetVersionText adds "(true)" or "(false)"
  /// (name, path) pairs asked of the file provider, in order, during Run.
  std::vector<std::pair<std::string, std::string>> fileRequests;
  /// Outputs offered to the sink and, when accepted, written, in order.
  std::vector<std::pair<OutputKey, std::string>> outputs;
  std::vector<uint32_t> hookCalls;  ///< hooks called during Run, in order, without arguments
  std::function<void()> duringRun;  ///< runs last inside Run (may throw, block, or use stack)
  int32_t exitCode = 0;             ///< what Run returns
  std::function<std::optional<FixesFile>(const std::string&)> readFixes;  ///< by default absent
  /// FinaliseReplacements; by default the replacements unchanged.
  std::function<std::optional<std::vector<EngineReplacement>>(const std::string&, const std::string&,
                                                              const std::vector<EngineReplacement>&)>
      finalise;
};

/// One recorded call: the operation's name and its arguments as texts.
struct EngineCall {
  std::string operation;
  std::vector<std::string> arguments;
};

class ScriptedEngine final : public IZOClangTidy {
 public:
  explicit ScriptedEngine(EngineScript script = {}) : script_(std::move(script)) {}

  EngineBuild QueryBuild() override;
  EngineIdentity QueryInterfaceIdentity() override;
  std::string GetVersionText(bool flag) override;
  void Reserved3() override { Record("Reserved3"); }
  int32_t Run(int32_t argc, const char* const* argv, const FileProviderCallback* provider,
              const std::optional<std::string>& mainFileFolder) override;
  void SetOutputSink(OutputSinkCallback sink, uint32_t reserved) override;
  void SetCheckHook(CheckHook hook) override;
  std::optional<FixesFile> ReadExportedFixes(const std::string& yaml) override;
  std::optional<std::vector<EngineReplacement>> FinaliseReplacements(
      const std::string& fileKey, const std::string& utf8Text,
      const std::vector<EngineReplacement>& replacements) override;
  uint32_t ForwardedOperation(uint32_t a, uint32_t b, uint32_t c) override;

  /// Replaces the script (not while a run is going on).
  void SetScript(EngineScript script);
  std::vector<EngineCall> Calls() const;
  std::vector<std::string> CallNames() const;
  /// What the provider and the hook answered during runs, in call order.
  std::vector<std::optional<ProvidedFile>> ProviderAnswers() const;
  std::vector<std::optional<HookArgs>> HookAnswers() const;

 private:
  void Record(std::string operation, std::vector<std::string> arguments = {});
  void WriteOutputs();

  /// What one calling thread installed, and the outputs of its last run.
  struct ThreadState {
    OutputSinkCallback sink;
    CheckHook hook;
    CapturedOutputs captured;
  };
  ThreadState& CallingThread();

  EngineScript script_;
  mutable std::mutex mutex_;
  std::vector<EngineCall> calls_;
  std::vector<std::optional<ProvidedFile>> providerAnswers_;
  std::vector<std::optional<HookArgs>> hookAnswers_;
  // Sinks and hooks belong to the calling thread, as in the real engine.
  std::map<std::thread::id, ThreadState> threads_;
};

}  // namespace zotest
