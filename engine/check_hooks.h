// The engine's side of the check hook: the hook points of the customised
// checks, with the arguments each passes, and the one way they ask the
// calling thread's hook. Without a hook installed every customised check
// behaves as the stock check of the same name.
#pragma once

#include <any>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <ClangTidyCheck.h>

#include "thread_callbacks.h"

namespace zoe {

/// Hook identifiers and the named arguments of each hook point.
namespace HookPoint {
/// modernize-loop-convert, no arguments: an answer "ok" = false declares the
/// loop variable `auto` where the check would spell the element type.
inline constexpr uint32_t kLoopVariableType = 0x199BB5C9;
/// modernize-loop-convert: "IteratorName", "ContainerName" (strings),
/// "Style == NS_UpperCase" (bool), "check_if_ok" (a std::function<bool(const
/// std::string&)> that accepts a free name), "OldIndex->getName()" (string).
/// An answer "ok" = true with "ret" names the loop variable.
inline constexpr uint32_t kLoopVariableName = 0x0B458E3B;
/// modernize-make-shared and modernize-make-unique: "skip_array_ptr" (bool*,
/// true for an array), "typeid_str" (the stock check's type name).
inline constexpr uint32_t kSmartPointerArrays = 0x646CFF5C;
/// modernize-use-using: "skip_array_ptr" (bool*, true for an array).
inline constexpr uint32_t kUsingArrays = 0x650556A2;
/// modernize-use-bool-literals: "InMacro_ptr", "IgnoreMacros_ptr" (bool*),
/// "Expression_str" (the literal as written).
inline constexpr uint32_t kBoolLiteralMacros = 0xA39CF891;
/// modernize-use-using: "MatchedDecl_cptr" (const clang::TypedefDecl*); an
/// answer "return" = true leaves the declaration alone.
inline constexpr uint32_t kUsingLeaveDeclaration = 0xE047E2A3;
/// readability-container-size-empty: "AddBraces_ptr" (bool*, true when the
/// check parenthesises the container's text already), "ReplacementText_str"
/// (that text).
inline constexpr uint32_t kReplacementBraces = 0xCC28F1AD;
}  // namespace HookPoint

/// The bool check option `name` of `options`, or `fallback` when it is
/// unset or unreadable. (The stock bool reader cannot be linked from code
/// built by another compiler: its mangled name differs.)
bool BoolOption(const clang::tidy::ClangTidyCheck::OptionsView& options, llvm::StringRef name, bool fallback);

/// True when the calling thread has a hook installed.
bool HookInstalled();

/// Asks the calling thread's hook. A hook that throws counts as no answer and
/// its message goes to the run's error stream.
std::optional<HookArgs> AskHook(uint32_t id, HookArgs&& args);

/// A pointer or callable as the hook takes it: a shared type-erased value.
template <typename T>
HookValue Erased(T value) {
  return std::make_shared<std::any>(std::move(value));
}

/// The bool result `name` of an answer; absent when there is no answer or
/// the entry is missing or not a bool.
std::optional<bool> AnswerFlag(const std::optional<HookArgs>& answer, const std::string& name);

/// The string result `name` of an answer, or nullptr.
const std::string* AnswerText(const std::optional<HookArgs>& answer, const std::string& name);

}  // namespace zoe
