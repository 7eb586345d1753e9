#include "system_template_bodies.h"

#include <clang/Basic/LangOptions.h>
#include <clang/Frontend/CompilerInstance.h>

namespace zoe {

namespace {

/// The parser decides whether to delay a body at its opening brace, when the
/// preprocessor is at most a token ahead, so the file the preprocessor is in
/// is the file the body is written in.
class SystemBodiesDelayed final : public clang::PPCallbacks {
 public:
  explicit SystemBodiesDelayed(clang::CompilerInstance& compiler)
      : language_(compiler.getLangOpts()), userCodeDelayed_(language_.DelayedTemplateParsing) {}
  /// A compile that stops before the main file's end leaves the options as it
  /// found them, for a compile that reuses them.
  ~SystemBodiesDelayed() override { language_.DelayedTemplateParsing = userCodeDelayed_; }

  void FileChanged(clang::SourceLocation, FileChangeReason, clang::SrcMgr::CharacteristicKind kind,
                   clang::FileID) override {
    language_.DelayedTemplateParsing = userCodeDelayed_ || clang::SrcMgr::isSystem(kind);
  }

  /// The delayed bodies are parsed after the main file's end, as user code.
  void EndOfMainFile() override { language_.DelayedTemplateParsing = userCodeDelayed_; }

 private:
  clang::LangOptions& language_;
  /// The command line's own choice, which user code keeps.
  const bool userCodeDelayed_;
};

}  // namespace

std::unique_ptr<clang::PPCallbacks> DelaySystemTemplateBodies(clang::CompilerInstance& compiler) {
  return std::make_unique<SystemBodiesDelayed>(compiler);
}

}  // namespace zoe
