// The customised check behaviours, one per hook identifier. Each reads its
// arguments through the call, and either answers with the arguments plus its
// results or writes through the engine's pointers and answers nothing.
#pragma once

#include <optional>

#include "hooks/hook_call.h"

namespace Quillfern::ZoCodeInspections::Native::Behaviours {

/// modernize-loop-convert: "ok" unless the option PreferType is "0".
std::optional<HookArgs> LoopConvertPreferType(HookCall& call);
/// modernize-loop-convert: the loop variable's name for a member-style container.
std::optional<HookArgs> LoopConvertVariableName(HookCall& call);
/// modernize-make-shared / make-unique: whether arrays are skipped.
std::optional<HookArgs> MakeSmartPointerArrays(HookCall& call);
/// modernize-use-using: whether arrays are skipped.
std::optional<HookArgs> UseUsingArrays(HookCall& call);
/// modernize-use-bool-literals: which macros may be replaced.
std::optional<HookArgs> BoolLiteralMacros(HookCall& call);
/// Every check: "return" once the compiler has reported an error.
std::optional<HookArgs> StopAfterErrors(HookCall& call);
/// Whether a replacement text needs braces around it.
std::optional<HookArgs> ReplacementBraces(HookCall& call);
/// modernize-use-using: "return" for an invalid declaration.
std::optional<HookArgs> UseUsingLeaveDeclaration(HookCall& call);
/// Template bracket depth across tokens; "fail" when it drops below 0.
std::optional<HookArgs> BracketLevel(HookCall& call);

/// Logs, in a build that cannot read clang objects, which behaviours it
/// leaves unanswered; logs nothing otherwise. The service calls it once, when
/// it makes its engine.
void NoteUnansweredBehaviours();

}  // namespace Quillfern::ZoCodeInspections::Native::Behaviours
