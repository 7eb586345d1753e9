#include "check_hooks.h"

#include <utility>
#include <variant>

#include "customised_run.h"

namespace zoe {

bool BoolOption(const clang::tidy::ClangTidyCheck::OptionsView& options, llvm::StringRef name, bool fallback) {
  const std::optional<llvm::StringRef> value = options.get(name);
  if (!value) return fallback;
  if (value->equals_insensitive("true")) return true;
  if (value->equals_insensitive("false")) return false;
  long long number = 0;
  if (!value->getAsInteger(10, number)) return number != 0;
  return fallback;
}

bool HookInstalled() { return static_cast<bool>(CallingThread().hook); }

std::optional<HookArgs> AskHook(uint32_t id, HookArgs&& args) {
  std::string failure;
  std::optional<HookArgs> answer = CallHook(id, std::move(args), &failure);
  if (!failure.empty()) CustomisedRun::Current().ReportHookFailure(failure);
  return answer;
}

std::optional<bool> AnswerFlag(const std::optional<HookArgs>& answer, const std::string& name) {
  if (!answer) return std::nullopt;
  const auto found = answer->find(name);
  if (found == answer->end() || !std::holds_alternative<bool>(found->second)) return std::nullopt;
  return std::get<bool>(found->second);
}

const std::string* AnswerText(const std::optional<HookArgs>& answer, const std::string& name) {
  if (!answer) return nullptr;
  const auto found = answer->find(name);
  if (found == answer->end()) return nullptr;
  return std::get_if<std::string>(&found->second);
}

}  // namespace zoe
