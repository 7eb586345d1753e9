// The engine object: the ten slots of IZOClangTidy and the library's one
// export. Nothing thrown inside a slot leaves it: each slot answers as it
// does for bad input (an exit code of 1, an absent optional, zero).
#include <atomic>
#include <exception>
#include <utility>

#include "contract/engine_interface.h"
#include "fixes_yaml.h"
#include "replacement_cleanup.h"
#include "thread_callbacks.h"
#include "tidy_run.h"

namespace zoe {

namespace {

/// Runs `slot`; answers `fallback` when it throws.
template <class Result, class Slot>
Result Guarded(Result fallback, Slot&& slot) noexcept {
  try {
    return slot();
  } catch (...) {
    return fallback;
  }
}

class Engine final : public IZOClangTidy {
 public:
  EngineBuild QueryBuild() override { return EngineBuild{ZOE_LLVM_MAJOR, kBuildRevision}; }

  EngineIdentity QueryInterfaceIdentity() override { return kInterfaceIdentity; }

  std::string GetVersionText(bool flag) override {
    return Guarded(std::string(), [flag] {
      return flag ? std::string("zolibclang2 " ZOE_ENGINE_VERSION) : std::string(ZOE_LLVM_VERSION);
    });
  }

  void Reserved3() override {}

  int32_t Run(int32_t argc, const char* const* argv, const FileProviderCallback* provider,
              const std::optional<std::string>& mainFileFolder) override {
    runsInProgress_.fetch_add(1);
    const int32_t exitCode = Guarded(int32_t{1}, [&] { return RunTidy(argc, argv, provider, mainFileFolder); });
    runsInProgress_.fetch_sub(1);
    completedRuns_.fetch_add(1);
    return exitCode;
  }

  void SetOutputSink(OutputSinkCallback sink, uint32_t) override {
    Guarded(0, [&] {
      CallingThread().sink = std::move(sink);
      return 0;
    });
  }

  void SetCheckHook(CheckHook hook) override {
    Guarded(0, [&] {
      CallingThread().hook = std::move(hook);
      return 0;
    });
  }

  std::optional<FixesFile> ReadExportedFixes(const std::string& yaml) override {
    return Guarded(std::optional<FixesFile>(), [&] { return ReadFixesYaml(yaml); });
  }

  std::optional<std::vector<EngineReplacement>> FinaliseReplacements(
      const std::string& fileKey, const std::string& utf8Text,
      const std::vector<EngineReplacement>& replacements) override {
    return Guarded(std::optional<std::vector<EngineReplacement>>(),
                   [&] { return CleanUpReplacements(fileKey, utf8Text, replacements); });
  }

  uint32_t ForwardedOperation(uint32_t a, uint32_t b, uint32_t) override {
    switch (static_cast<ForwardedQuery>(a)) {
      case ForwardedQuery::Echo: return b;
      case ForwardedQuery::LlvmMajorVersion: return ZOE_LLVM_MAJOR;
      case ForwardedQuery::RunsInProgress: return runsInProgress_.load();
      case ForwardedQuery::CompletedRuns: return completedRuns_.load();
    }
    return kForwardedUnknownQuery;
  }

 private:
  /// Second word of the build record: the engine's own revision.
  static constexpr uint32_t kBuildRevision = 1;

  std::atomic<uint32_t> runsInProgress_{0};
  std::atomic<uint32_t> completedRuns_{0};
};

}  // namespace

}  // namespace zoe

namespace clang::tidy {

Quillfern::ZoCodeInspections::Native::IZOClangTidy& clangtidy() {
  static zoe::Engine engine;
  return engine;
}

}  // namespace clang::tidy
