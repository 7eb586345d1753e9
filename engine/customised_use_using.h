// modernize-use-using as the run's hook wants it: declarations the hook
// calls invalid are left alone, and array types are converted (the stock
// check only reports them) unless the hook skips arrays.
#pragma once

#include <modernize/UseUsingCheck.h>

namespace zoe {

class CustomisedUseUsing final : public clang::tidy::modernize::UseUsingCheck {
 public:
  CustomisedUseUsing(llvm::StringRef name, clang::tidy::ClangTidyContext* context);
  void check(const clang::ast_matchers::MatchFinder::MatchResult& result) override;

 private:
  /// Reports and fixes an array typedef; false when the stock check decides.
  bool ConvertArray(const clang::TypedefDecl& declaration, const clang::SourceManager& sources);

  const bool ignoreExternC_;
};

}  // namespace zoe
