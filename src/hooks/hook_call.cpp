#include "hooks/hook_call.h"

#include <memory>
#include <utility>
#include <variant>

namespace Quillfern::ZoCodeInspections::Native {

HookCall::HookCall(HookArgs& args, const CheckOptions& checkOptions) : args_(args), checkOptions_(checkOptions) {}

const HookValue& HookCall::Argument(const std::string& name) const {
  const auto found = args_.find(name);
  // The engine's checks are written against the message of the runtime they
  // were built with; raise the same text everywhere.
  if (found == args_.end()) throw std::out_of_range("invalid unordered_map<K, T> key");
  return found->second;
}

const std::any& HookCall::Erased(const std::string& name) const {
  const auto& holder = std::get<std::shared_ptr<std::any>>(Argument(name));
  if (!holder) throw std::bad_any_cast();
  return *holder;
}

const std::string& HookCall::String(const std::string& name) const { return std::get<std::string>(Argument(name)); }

bool HookCall::Bool(const std::string& name) const { return std::get<bool>(Argument(name)); }

HookValue& HookCall::Result(const std::string& name) { return args_[name]; }

const std::string* HookCall::Option(const std::string& fullName) const {
  const auto found = checkOptions_.find(fullName);
  return found != checkOptions_.end() ? &found->second : nullptr;
}

bool HookCall::OptionSwitchedOff(const std::string& fullName) const {
  const std::string* value = Option(fullName);
  return value != nullptr && *value == "0";
}

HookArgs HookCall::Answer() { return std::move(args_); }

}  // namespace Quillfern::ZoCodeInspections::Native
