// readability-container-size-empty as the run's hook wants it: the hook
// decides whether the container's text in the fix ("v.empty()") is put in
// parentheses, beyond the operators the stock check parenthesises itself.
#pragma once

#include <readability/ContainerSizeEmptyCheck.h>

namespace zoe {

class CustomisedContainerSizeEmpty final : public clang::tidy::readability::ContainerSizeEmptyCheck {
 public:
  using ContainerSizeEmptyCheck::ContainerSizeEmptyCheck;
  void check(const clang::ast_matchers::MatchFinder::MatchResult& result) override;
};

}  // namespace zoe
