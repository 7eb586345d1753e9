// modernize-loop-convert: the element type, and names for loop variables over
// containers written in member style (m_items, _things_, __data).
#include <functional>
#include <string_view>

#include "hooks/check_behaviours.h"

namespace Quillfern::ZoCodeInspections::Native::Behaviours {

namespace {

using NameAcceptor = std::function<bool(const std::string&)>;

/// The name without its member prefix (exactly one is removed), or absent
/// when it has none.
std::optional<std::string_view> WithoutMemberPrefix(std::string_view name) {
  for (std::string_view prefix : {"m_", "__", "_"}) {
    if (name.starts_with(prefix)) return name.substr(prefix.size());
  }
  return std::nullopt;
}

/// The singular of `name` when it ends in `plural` and keeps at least one
/// character, and the check accepts it.
std::optional<std::string> Singular(std::string_view name, std::string_view plural, const NameAcceptor& accepts) {
  if (name.size() <= plural.size() || !name.ends_with(plural)) return std::nullopt;
  std::string candidate(name.substr(0, name.size() - plural.size()));
  if (!accepts(candidate)) return std::nullopt;
  return candidate;
}

}  // namespace

std::optional<HookArgs> LoopConvertPreferType(HookCall& call) {
  call.Result("ok") = !call.OptionSwitchedOff("modernize-loop-convert.ZO.PreferType");
  return call.Answer();
}

std::optional<HookArgs> LoopConvertVariableName(HookCall& call) {
  const std::string& iteratorName = call.String("IteratorName");
  const std::string& containerName = call.String("ContainerName");
  const bool upperCase = call.Bool("Style == NS_UpperCase");
  const auto& accepts = call.Held<NameAcceptor>("check_if_ok");
  const std::string& oldIndexName = call.String("OldIndex->getName()");

  const std::optional<std::string_view> stripped =
      WithoutMemberPrefix(iteratorName.empty() ? containerName : iteratorName);
  if (!stripped) return std::nullopt;  // not member style: the check names it its own way
  std::optional<std::string> name = Singular(*stripped, upperCase ? "S_" : "s_", accepts);
  if (!name) name = Singular(*stripped, upperCase ? "S" : "s", accepts);
  call.Result("ret") = name.value_or(oldIndexName);
  call.Result("ok") = true;
  return call.Answer();
}

}  // namespace Quillfern::ZoCodeInspections::Native::Behaviours
