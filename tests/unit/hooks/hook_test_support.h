// Building hook arguments the way the engine passes them.
#pragma once

#include <any>
#include <memory>
#include <optional>

#include "hooks/hook_dispatcher.h"

namespace Quillfern::ZoCodeInspections::Native::Testing {

/// A type-erased argument holding `value` (a pointer, or a callable).
template <typename T>
HookValue Erased(T value) {
  return std::make_shared<std::any>(std::move(value));
}

/// Calls the hook of a run whose check options are `options`.
inline std::optional<HookArgs> CallHook(uint32_t id, HookArgs args, const CheckOptions& options = {}) {
  return MakeCheckHook(&options)(id, std::move(args));
}

}  // namespace Quillfern::ZoCodeInspections::Native::Testing
