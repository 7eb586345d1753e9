// modernize-make-shared and modernize-make-unique as the run's hook wants
// them: the stock check runs as it is, and the hook decides whether what it
// reports about an array `new` is kept or left out; what it reports about an
// array `new` with braces, whose fix would not compile, is always left out.
#pragma once

#include <typeinfo>

#include <ClangTidyCheck.h>

namespace zoe {

/// The part shared by both checks: matching array `new` arguments and
/// asking the hook about them.
class ArraySmartPointerHook {
 public:
  ArraySmartPointerHook(llvm::StringRef checkName, const char* stockTypeName)
      : checkName_(checkName.str()), stockTypeName_(stockTypeName) {}

  void RegisterMatchers(clang::ast_matchers::MatchFinder& finder,
                        clang::ast_matchers::MatchFinder::MatchCallback& callback);
  void Check(const clang::ast_matchers::MatchFinder::MatchResult& result) const;

 private:
  std::string checkName_;
  const char* stockTypeName_;
};

/// The stock check `Stock` inside a check of the same name.
template <typename Stock>
class CustomisedMakeSmartPointer final : public clang::tidy::ClangTidyCheck {
 public:
  CustomisedMakeSmartPointer(llvm::StringRef name, clang::tidy::ClangTidyContext* context)
      : ClangTidyCheck(name, context), stock_(name, context), arrays_(name, typeid(Stock).name()) {}

  bool isLanguageVersionSupported(const clang::LangOptions& language) const override {
    return AsCheck().isLanguageVersionSupported(language);
  }
  void registerPPCallbacks(const clang::SourceManager& sources, clang::Preprocessor* preprocessor,
                           clang::Preprocessor* moduleExpander) override {
    stock_.registerPPCallbacks(sources, preprocessor, moduleExpander);
  }
  void storeOptions(clang::tidy::ClangTidyOptions::OptionMap& options) override { stock_.storeOptions(options); }
  void registerMatchers(clang::ast_matchers::MatchFinder* finder) override {
    arrays_.RegisterMatchers(*finder, *this);
    stock_.registerMatchers(finder);
  }
  void check(const clang::ast_matchers::MatchFinder::MatchResult& result) override { arrays_.Check(result); }

 private:
  /// The stock check through its public interface (it hides some members).
  const clang::tidy::ClangTidyCheck& AsCheck() const { return stock_; }

  Stock stock_;
  ArraySmartPointerHook arrays_;
};

}  // namespace zoe
