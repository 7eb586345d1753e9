// modernize-make-shared, modernize-make-unique and modernize-use-using: the
// option AllowArrays "0" makes these checks leave arrays alone.
#include <string>

#include "hooks/check_behaviours.h"

namespace Quillfern::ZoCodeInspections::Native::Behaviours {

namespace {

/// Where the check would skip an array anyway, the check's option decides.
void DecideArraySkip(bool& skipArray, const HookCall& call, const std::string& checkName) {
  if (skipArray) skipArray = call.OptionSwitchedOff(checkName + ".ZO.AllowArrays");
}

/// The check whose class name is spelled in `typeName`, or empty.
std::string SmartPointerCheck(const std::string& typeName) {
  if (typeName.find("MakeSharedCheck") != std::string::npos) return "modernize-make-shared";
  if (typeName.find("MakeUniqueCheck") != std::string::npos) return "modernize-make-unique";
  return {};
}

}  // namespace

std::optional<HookArgs> MakeSmartPointerArrays(HookCall& call) {
  bool& skipArray = call.Target<bool>("skip_array_ptr");
  const std::string checkName = SmartPointerCheck(call.String("typeid_str"));
  if (!checkName.empty()) DecideArraySkip(skipArray, call, checkName);
  return std::nullopt;
}

std::optional<HookArgs> UseUsingArrays(HookCall& call) {
  DecideArraySkip(call.Target<bool>("skip_array_ptr"), call, "modernize-use-using");
  return std::nullopt;
}

}  // namespace Quillfern::ZoCodeInspections::Native::Behaviours
