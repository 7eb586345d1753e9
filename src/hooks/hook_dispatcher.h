// The check hook: the function the engine's customised clang-tidy checks call
// to ask this library how to behave. It picks a behaviour by the hook
// identifier and gives it the run's check options.
#pragma once

#include <cstdint>
#include <optional>

#include "contract/engine_interface.h"
#include "interop/inspection_settings.h"

namespace Quillfern::ZoCodeInspections::Native {

/// The hook points of the engine's checks that this library answers.
namespace HookId {
inline constexpr uint32_t loopConvertPreferType = 0x199BB5C9;
inline constexpr uint32_t loopConvertVariableName = 0x0B458E3B;
inline constexpr uint32_t makeSmartPointerArrays = 0x646CFF5C;
inline constexpr uint32_t useUsingArrays = 0x650556A2;
inline constexpr uint32_t boolLiteralMacros = 0xA39CF891;
inline constexpr uint32_t stopAfterErrors = 0xADF38EC1;
inline constexpr uint32_t replacementBraces = 0xCC28F1AD;
inline constexpr uint32_t useUsingLeaveDeclaration = 0xE047E2A3;
inline constexpr uint32_t bracketLevel = 0xE65A5DCB;
}  // namespace HookId

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
