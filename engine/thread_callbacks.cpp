#include "thread_callbacks.h"

#include <exception>
#include <utility>

namespace zoe {

ThreadCallbacks& CallingThread() {
  thread_local ThreadCallbacks callbacks;
  return callbacks;
}

std::optional<HookArgs> CallHook(uint32_t id, HookArgs&& args, std::string* failure) {
  const CheckHook& hook = CallingThread().hook;
  if (!hook) return std::nullopt;
  try {
    return hook(id, std::move(args));
  } catch (const std::exception& error) {
    *failure = error.what();
  } catch (...) {
    *failure = "unknown exception";
  }
  return std::nullopt;
}

}  // namespace zoe
