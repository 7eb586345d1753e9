#include "include_names.h"

#include <utility>

#include <llvm/Support/Allocator.h>
#include <llvm/Support/StringSaver.h>

namespace zoe {

namespace {

class IncludeNamesKept final : public clang::PPChainedCallbacks {
 public:
  explicit IncludeNamesKept(std::unique_ptr<clang::PPCallbacks> checks)
      : PPChainedCallbacks(std::move(checks), std::make_unique<clang::PPCallbacks>()) {}

  void InclusionDirective(clang::SourceLocation hash, const clang::Token& includeToken, llvm::StringRef fileName,
                          bool angled, clang::CharSourceRange fileNameRange, clang::OptionalFileEntryRef file,
                          llvm::StringRef searchPath, llvm::StringRef relativePath, const clang::Module* suggested,
                          bool imported, clang::SrcMgr::CharacteristicKind fileType) override {
    PPChainedCallbacks::InclusionDirective(hash, includeToken, names_.save(fileName), angled, fileNameRange, file,
                                           searchPath, relativePath, suggested, imported, fileType);
  }

 private:
  llvm::BumpPtrAllocator storage_;
  llvm::UniqueStringSaver names_{storage_};
};

}  // namespace

std::unique_ptr<clang::PPCallbacks> KeepIncludeNames(std::unique_ptr<clang::PPCallbacks> checks) {
  return std::make_unique<IncludeNamesKept>(std::move(checks));
}

}  // namespace zoe
