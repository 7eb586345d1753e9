// modernize-use-bool-literals: which literals written through macros may be
// replaced. The option AllowedMacros is 0 (none), 1 (TRUE and FALSE, the
// default) or 2 (every macro, as plain code).
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "hooks/check_behaviours.h"

namespace Quillfern::ZoCodeInspections::Native::Behaviours {

namespace {

/// The option as the C runtime's stoi reads it, with the runtime's messages
/// whichever standard library this is built with.
int ReadDecimal(const std::string& text) {
  try {
    return std::stoi(text);
  } catch (const std::invalid_argument&) {
    throw std::invalid_argument("invalid stoi argument");
  } catch (const std::out_of_range&) {
    throw std::out_of_range("stoi argument out of range");
  }
}

bool IsPlainBoolMacro(const std::string& spelling) {
  static const std::unordered_set<std::string> kMacros{"TRUE", "FALSE"};
  return kMacros.contains(spelling);
}

}  // namespace

std::optional<HookArgs> BoolLiteralMacros(HookCall& call) {
  bool& inMacro = call.Target<bool>("InMacro_ptr");
  bool& ignoreMacros = call.Target<bool>("IgnoreMacros_ptr");
  const std::string& expression = call.String("Expression_str");
  if (!inMacro) return std::nullopt;

  const std::string* option = call.Option("modernize-use-bool-literals.ZO.AllowedMacros");
  const int allowed = option != nullptr ? ReadDecimal(*option) : 1;
  ignoreMacros = allowed == 0;
  if (allowed == 2 || (allowed != 0 && IsPlainBoolMacro(expression))) inMacro = false;
  return std::nullopt;
}

}  // namespace Quillfern::ZoCodeInspections::Native::Behaviours
