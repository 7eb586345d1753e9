// modernize-use-bool-literals as the run's hook wants it: the hook decides
// which integer literals written through macros (TRUE, FALSE) are reported
// and fixed like plain code.
#pragma once

#include <modernize/UseBoolLiteralsCheck.h>

namespace zoe {

class CustomisedBoolLiterals final : public clang::tidy::modernize::UseBoolLiteralsCheck {
 public:
  CustomisedBoolLiterals(llvm::StringRef name, clang::tidy::ClangTidyContext* context);
  void check(const clang::ast_matchers::MatchFinder::MatchResult& result) override;

 private:
  const bool ignoreMacros_;
};

}  // namespace zoe
