// modernize-use-using as the run's hook wants it: declarations the hook
// calls invalid are left alone, and array types are converted (the stock
// check only reports them) unless the hook skips arrays. Where the name stands
// inside its type ("int (*P)[4]"), whose stock fixes do not compile, a lone
// declaration is converted here and a declarator list is reported without fix.
#pragma once

#include <modernize/UseUsingCheck.h>

namespace zoe {

class CustomisedUseUsing final : public clang::tidy::modernize::UseUsingCheck {
 public:
  CustomisedUseUsing(llvm::StringRef name, clang::tidy::ClangTidyContext* context);
  void check(const clang::ast_matchers::MatchFinder::MatchResult& result) override;

 private:
  /// Reports and fixes a lone typedef whose name stands inside its type (an
  /// array, a pointer to one); false when the stock check decides.
  bool ConvertNameInsideType(const clang::TypedefDecl& declaration, const clang::SourceManager& sources);
  /// Whether `declaration` belongs to a declarator list that holds a name
  /// inside its type.
  bool InListWithoutFix(const clang::TypedefDecl& declaration, const clang::SourceManager& sources);

  const bool ignoreExternC_;
  clang::SourceLocation listStart_;  ///< where the last declarator list seen begins
  bool listWithoutFix_ = false;      ///< whether that list holds a name inside its type
};

}  // namespace zoe
