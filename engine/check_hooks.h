// The engine's side of the check hook: the one way the customised checks ask
// the calling thread's hook (the hook points and their arguments are in
// contract/hook_ids.h). Without a hook installed every customised check
// behaves as the stock check of the same name.
#pragma once

#include <any>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <ClangTidyCheck.h>

#include "contract/hook_ids.h"
#include "thread_callbacks.h"

namespace zoe {

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
