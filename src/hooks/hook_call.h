// One call of the check hook as a behaviour sees it: the engine's named
// arguments, the run's check options, and typed access to both. Missing
// arguments and arguments of another kind raise the standard errors; the
// hook lets them reach the engine that called it.
#pragma once

#include <any>
#include <stdexcept>
#include <string>

#include "contract/engine_interface.h"
#include "interop/inspection_settings.h"

namespace Quillfern::ZoCodeInspections::Native {

class HookCall {
 public:
  /// `args` must outlive the call object; Answer() moves out of it.
  HookCall(HookArgs& args, const CheckOptions& checkOptions);

  /// The string argument `name`. Throws std::out_of_range when it is absent,
  /// std::bad_variant_access when it holds no string.
  const std::string& String(const std::string& name) const;

  /// The bool argument `name`; errors as for String().
  bool Bool(const std::string& name) const;

  /// The value of type T that the type-erased argument `name` holds, such as
  /// a callable. Throws std::bad_any_cast when it holds another type.
  template <typename T>
  const T& Held(const std::string& name) const {
    const T* value = std::any_cast<T>(&Erased(name));
    if (value == nullptr) throw std::bad_any_cast();
    return *value;
  }

  /// The engine object that the "_ptr" or "_cptr" argument `name` points to;
  /// T is const for objects the hook only reads. Throws std::invalid_argument
  /// for a null pointer.
  template <typename T>
  T& Target(const std::string& name) const {
    T* target = Held<T*>(name);
    if (target == nullptr) throw std::invalid_argument("hook argument " + name + " is a null pointer");
    return *target;
  }

  /// The result entry `name`; a new entry starts as a default value.
  HookValue& Result(const std::string& name);

  /// The value of the check option `fullName` (check name, ".ZO.", key), or
  /// nullptr when the run has no such option.
  const std::string* Option(const std::string& fullName) const;

  /// True when the option `fullName` is present with the value "0".
  bool OptionSwitchedOff(const std::string& fullName) const;

  /// The answer of a behaviour that answers: the arguments, with its results.
  HookArgs Answer();

 private:
  const HookValue& Argument(const std::string& name) const;
  const std::any& Erased(const std::string& name) const;

  HookArgs& args_;
  const CheckOptions& checkOptions_;
};

}  // namespace Quillfern::ZoCodeInspections::Native
