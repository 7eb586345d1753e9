#include "hooks/hook_dispatcher.h"

#include "hooks/check_behaviours.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

using Behaviour = std::optional<HookArgs> (*)(HookCall&);

struct Route {
  uint32_t id;
  Behaviour behaviour;
};

constexpr Route kRoutes[] = {
    {HookId::loopConvertPreferType, &Behaviours::LoopConvertPreferType},
    {HookId::loopConvertVariableName, &Behaviours::LoopConvertVariableName},
    {HookId::makeSmartPointerArrays, &Behaviours::MakeSmartPointerArrays},
    {HookId::useUsingArrays, &Behaviours::UseUsingArrays},
    {HookId::boolLiteralMacros, &Behaviours::BoolLiteralMacros},
    {HookId::stopAfterErrors, &Behaviours::StopAfterErrors},
    {HookId::replacementBraces, &Behaviours::ReplacementBraces},
    {HookId::useUsingLeaveDeclaration, &Behaviours::UseUsingLeaveDeclaration},
    {HookId::bracketLevel, &Behaviours::BracketLevel},
};

const CheckOptions kNoOptions;

}  // namespace

HookDispatcher::HookDispatcher(const CheckOptions* checkOptions)
    : checkOptions_(checkOptions != nullptr ? checkOptions : &kNoOptions) {}

std::optional<HookArgs> HookDispatcher::operator()(uint32_t id, HookArgs&& args) const {
  for (const Route& route : kRoutes) {
    if (route.id == id) {
      HookCall call(args, *checkOptions_);
      return route.behaviour(call);
    }
  }
  return std::nullopt;
}

CheckHook MakeCheckHook(const CheckOptions* checkOptions) { return HookDispatcher(checkOptions); }

}  // namespace Quillfern::ZoCodeInspections::Native
