// What the service keeps between the host's calls and gives the runs it
// starts: the engine, the state its runs share (source cache, claims, parse
// numbers, latest detailed run) and the logging switch. The service owns one;
// a test makes a service of its own, with a scripted engine or opener, and so
// starts from a fresh one.
#pragma once

#include <atomic>
#include <utility>

#include "hooks/check_behaviours.h"
#include "run/run_state.h"
#include "service/engine_loader.h"

namespace Quillfern::ZoCodeInspections::Native {

/// `factory`, followed by the log's note of the check behaviours this build
/// cannot answer, once the engine is made.
inline EngineFactory NotingUnansweredBehaviours(EngineFactory factory) {
  return [factory = std::move(factory)]() -> IZOClangTidy& {
    IZOClangTidy& engine = factory();
    Behaviours::NoteUnansweredBehaviours();
    return engine;
  };
}

struct ServiceState {
  /// The engine comes from `engine`; files are opened with `opener`.
  explicit ServiceState(EngineFactory engineFactory = LoadEngine, FileOpener opener = Platform::OpenForRead)
      : engine(NotingUnansweredBehaviours(std::move(engineFactory))), runs(std::move(opener)) {}

  EngineHandle engine;
  RunState runs;
  /// Set by every Initialize; when true, runs fill yamlText and append the
  /// files report to their log.
  std::atomic<bool> detailedLogging{false};
};

}  // namespace Quillfern::ZoCodeInspections::Native
