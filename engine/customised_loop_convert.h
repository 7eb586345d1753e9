// modernize-loop-convert as the run's hook wants it: the loop variable of a
// container written in member style named after the container (m_items:
// item), and `auto` instead of the element type when the hook says so. The
// stock check decides what to convert; this one changes the loop header and
// the uses of the variable in its fixes.
#pragma once

#include <string>

#include <modernize/LoopConvertCheck.h>

namespace zoe {

class CustomisedLoopConvert final : public clang::tidy::modernize::LoopConvertCheck {
 public:
  CustomisedLoopConvert(llvm::StringRef name, clang::tidy::ClangTidyContext* context);
  void check(const clang::ast_matchers::MatchFinder::MatchResult& result) override;

 private:
  struct LoopHeader;
  void Customise(std::vector<clang::FixItHint>& fixes, const clang::ast_matchers::MatchFinder::MatchResult& result);
  /// The name the hook gives the loop variable, or the stock check's when
  /// it captures no member the body uses, or the old index's.
  std::string VariableName(const LoopHeader& header, const clang::ForStmt& loop,
                           const clang::ast_matchers::MatchFinder::MatchResult& result);
  /// Whether `name` would clash inside `loop`: a keyword, a macro, a name
  /// used in the loop (a member reached through `this` included), or the
  /// variable of an enclosing converted loop.
  bool NameTaken(const std::string& name, const clang::ForStmt& loop, clang::ASTContext& context);

  const bool upperCase_;
  /// The loop variable each converted loop got, so that nested loops do not
  /// take it again.
  clang::tidy::modernize::StmtGeneratedVarNameMap named_;
};

}  // namespace zoe
