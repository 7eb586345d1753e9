// What each calling thread has installed in the engine: its output sink, its
// check hook, and the map its last run wrote captured outputs into. Runs of
// different parsers go on on different threads, so nothing here is shared.
#pragma once

#include <optional>
#include <string_view>

#include "contract/engine_interface.h"

namespace zoe {

using namespace Quillfern::ZoCodeInspections::Native;

/// The calling thread's callbacks and captured outputs.
struct ThreadCallbacks {
  OutputSinkCallback sink;
  CheckHook hook;
  /// Lives until the thread's next run (or its end): the sink keeps its address
  /// and the caller takes the outputs after Run returns.
  CapturedOutputs outputs;
};

/// The calling thread's record.
ThreadCallbacks& CallingThread();

/// Calls the calling thread's hook, when one is installed. A hook that throws
/// counts as no answer; `failure` then receives its message.
std::optional<HookArgs> CallHook(uint32_t id, HookArgs&& args, std::string* failure);

}  // namespace zoe
