#include "user_code_events.h"

#include <utility>

#include <clang/Basic/SourceManager.h>
#include <clang/Lex/MacroInfo.h>
#include <clang/Lex/Preprocessor.h>

namespace zoe {

namespace {

using clang::SourceLocation;

/// Forwards every event to the checks, those with a place only as
/// `UserCodeEvents` admits them.
class UserCodeFilter final : public clang::PPChainedCallbacks {
 public:
  UserCodeFilter(std::unique_ptr<clang::PPCallbacks> checks, const clang::SourceManager& sources)
      : PPChainedCallbacks(std::move(checks), std::make_unique<clang::PPCallbacks>()), admits_(sources) {}

  void FileChanged(SourceLocation at, FileChangeReason reason, clang::SrcMgr::CharacteristicKind fileType,
                   clang::FileID left) override {
    if (admits_.FileChange(at, reason)) PPChainedCallbacks::FileChanged(at, reason, fileType, left);
  }

  void FileSkipped(const clang::FileEntryRef& skipped, const clang::Token& fileName,
                   clang::SrcMgr::CharacteristicKind fileType) override {
    if (admits_.At(fileName.getLocation())) PPChainedCallbacks::FileSkipped(skipped, fileName, fileType);
  }

  void InclusionDirective(SourceLocation hash, const clang::Token& includeToken, llvm::StringRef fileName, bool angled,
                          clang::CharSourceRange fileNameRange, clang::OptionalFileEntryRef file,
                          llvm::StringRef searchPath, llvm::StringRef relativePath, const clang::Module* suggested,
                          bool imported, clang::SrcMgr::CharacteristicKind fileType) override {
    if (!admits_.At(hash)) return;
    PPChainedCallbacks::InclusionDirective(hash, includeToken, fileName, angled, fileNameRange, file, searchPath,
                                           relativePath, suggested, imported, fileType);
  }

  void MacroDefined(const clang::Token& name, const clang::MacroDirective* directive) override {
    if (admits_.At(name.getLocation())) PPChainedCallbacks::MacroDefined(name, directive);
  }

  void MacroUndefined(const clang::Token& name, const clang::MacroDefinition& definition,
                      const clang::MacroDirective* undefinition) override {
    if (admits_.Macro(name.getLocation(), definition))
      PPChainedCallbacks::MacroUndefined(name, definition, undefinition);
  }

  void MacroExpands(const clang::Token& name, const clang::MacroDefinition& definition, clang::SourceRange range,
                    const clang::MacroArgs* arguments) override {
    if (admits_.Macro(name.getLocation(), definition))
      PPChainedCallbacks::MacroExpands(name, definition, range, arguments);
  }

  void Defined(const clang::Token& name, const clang::MacroDefinition& definition, clang::SourceRange range) override {
    if (admits_.Macro(name.getLocation(), definition)) PPChainedCallbacks::Defined(name, definition, range);
  }

  void If(SourceLocation at, clang::SourceRange condition, ConditionValueKind value) override {
    if (admits_.At(at)) PPChainedCallbacks::If(at, condition, value);
  }

  void Elif(SourceLocation at, clang::SourceRange condition, ConditionValueKind value, SourceLocation ifAt) override {
    if (admits_.At(at)) PPChainedCallbacks::Elif(at, condition, value, ifAt);
  }

  void Ifdef(SourceLocation at, const clang::Token& name, const clang::MacroDefinition& definition) override {
    if (admits_.Macro(at, definition)) PPChainedCallbacks::Ifdef(at, name, definition);
  }

  void Ifndef(SourceLocation at, const clang::Token& name, const clang::MacroDefinition& definition) override {
    if (admits_.Macro(at, definition)) PPChainedCallbacks::Ifndef(at, name, definition);
  }

  void Elifdef(SourceLocation at, const clang::Token& name, const clang::MacroDefinition& definition) override {
    if (admits_.Macro(at, definition)) PPChainedCallbacks::Elifdef(at, name, definition);
  }

  void Elifdef(SourceLocation at, clang::SourceRange condition, SourceLocation ifAt) override {
    if (admits_.At(at)) PPChainedCallbacks::Elifdef(at, condition, ifAt);
  }

  void Elifndef(SourceLocation at, const clang::Token& name, const clang::MacroDefinition& definition) override {
    if (admits_.Macro(at, definition)) PPChainedCallbacks::Elifndef(at, name, definition);
  }

  void Elifndef(SourceLocation at, clang::SourceRange condition, SourceLocation ifAt) override {
    if (admits_.At(at)) PPChainedCallbacks::Elifndef(at, condition, ifAt);
  }

  void Else(SourceLocation at, SourceLocation ifAt) override {
    if (admits_.At(at)) PPChainedCallbacks::Else(at, ifAt);
  }

  void Endif(SourceLocation at, SourceLocation ifAt) override {
    if (admits_.At(at)) PPChainedCallbacks::Endif(at, ifAt);
  }

  void SourceRangeSkipped(clang::SourceRange range, SourceLocation endifAt) override {
    if (admits_.At(range.getBegin())) PPChainedCallbacks::SourceRangeSkipped(range, endifAt);
  }

  void PragmaDirective(SourceLocation at, clang::PragmaIntroducerKind introducer) override {
    if (admits_.At(at)) PPChainedCallbacks::PragmaDirective(at, introducer);
  }

 private:
  UserCodeEvents admits_;
};

// The preprocessor owns its callbacks and offers only to chain more on top; a
// filter in front of the checks' callbacks must own them. This names the
// private member through an explicit instantiation, where access is not
// checked.
struct CallbacksMember {
  using Type = std::unique_ptr<clang::PPCallbacks> clang::Preprocessor::*;
  friend Type MemberOf(CallbacksMember);
};

template <CallbacksMember::Type member>
struct ExposeCallbacks {
  friend CallbacksMember::Type MemberOf(CallbacksMember) { return member; }
};

template struct ExposeCallbacks<&clang::Preprocessor::Callbacks>;

}  // namespace

bool UserCodeEvents::At(SourceLocation at) const { return !sources_.isInSystemHeader(at); }

bool UserCodeEvents::FileChange(SourceLocation at, clang::PPCallbacks::FileChangeReason reason) const {
  if (At(at)) return true;
  if (reason != clang::PPCallbacks::EnterFile) return false;
  const SourceLocation includer = sources_.getIncludeLoc(sources_.getFileID(at));
  return includer.isValid() && At(includer);
}

bool UserCodeEvents::Macro(SourceLocation at, const clang::MacroDefinition& definition) const {
  return At(at) || DefinedByUserCode(definition);
}

bool UserCodeEvents::DefinedByUserCode(const clang::MacroDefinition& definition) const {
  const clang::MacroInfo* info = definition.getMacroInfo();
  if (info == nullptr) return false;
  const SourceLocation at = info->getDefinitionLoc();
  return at.isValid() && At(at) && !sources_.isWrittenInBuiltinFile(at) && !sources_.isWrittenInCommandLineFile(at);
}

std::unique_ptr<clang::PPCallbacks> OnlyUserCodeEvents(std::unique_ptr<clang::PPCallbacks> checks,
                                                       const clang::SourceManager& sources) {
  return std::make_unique<UserCodeFilter>(std::move(checks), sources);
}

std::unique_ptr<clang::PPCallbacks> TakeCallbacks(clang::Preprocessor& preprocessor) {
  return std::move(preprocessor.*MemberOf(CallbacksMember{}));
}

void PutCallbacks(clang::Preprocessor& preprocessor, std::unique_ptr<clang::PPCallbacks> callbacks) {
  preprocessor.*MemberOf(CallbacksMember{}) = std::move(callbacks);
}

}  // namespace zoe
