// The check hook: the function the engine's customised clang-tidy checks call
// to ask this library how to behave. It picks a behaviour by the hook
// identifier and gives it the run's check options.
#pragma once

#include <cstdint>
#include <optional>

#include "contract/engine_interface.h"
#include "contract/hook_ids.h"
#include "interop/inspection_settings.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Dispatches hook calls of one run to the behaviours.
class HookDispatcher {
 public:
  /// `checkOptions` must outlive every call; nullptr means no options.
  explicit HookDispatcher(const CheckOptions* checkOptions);

  /// The behaviour's answer, or none: behaviours that act through the
  /// engine's pointers answer nothing, and so does any other identifier
  /// (leaving `args` untouched). Errors of a behaviour propagate.
  std::optional<HookArgs> operator()(uint32_t id, HookArgs&& args) const;

 private:
  const CheckOptions* checkOptions_;
};

/// The hook function to install in the engine for one run.
CheckHook MakeCheckHook(const CheckOptions* checkOptions);

}  // namespace Quillfern::ZoCodeInspections::Native
