#include "preamble_events.h"

#include <clang/Basic/IdentifierTable.h>
#include <clang/Basic/SourceManager.h>
#include <clang/Lex/MacroArgs.h>
#include <clang/Lex/MacroInfo.h>
#include <clang/Lex/PPCallbacks.h>
#include <clang/Lex/Token.h>

#include "user_code_events.h"

namespace zoe {

namespace {

using clang::SourceLocation;
using Kind = RecordedEvent::Kind;

class EventRecorder final : public clang::PPCallbacks {
 public:
  EventRecorder(const clang::SourceManager& sources, PreambleEvents& events)
      : sources_(sources), admits_(sources), events_(events) {}

  void FileChanged(SourceLocation at, FileChangeReason reason, clang::SrcMgr::CharacteristicKind fileType,
                   clang::FileID left) override {
    if (!started_) {
      // The predefined buffer ends where the main file's lines begin.
      started_ = reason == ExitFile && sources_.getFileID(at) == sources_.getMainFileID();
      return;
    }
    if (!admits_.FileChange(at, reason)) return;
    RecordedEvent& event = Add(Kind::kFileChanged, at);
    event.value = reason;
    event.fileType = fileType;
    if (left.isValid()) event.other = Place(sources_.getLocForStartOfFile(left));
  }

  void FileSkipped(const clang::FileEntryRef& skipped, const clang::Token& fileName,
                   clang::SrcMgr::CharacteristicKind fileType) override {
    if (!Watched(fileName.getLocation())) return;
    RecordedEvent& event = Add(Kind::kFileSkipped, fileName.getLocation());
    event.file = skipped.getName().str();
    event.name = Record(fileName);
    event.fileType = fileType;
  }

  void InclusionDirective(SourceLocation hash, const clang::Token& includeToken, llvm::StringRef fileName, bool angled,
                          clang::CharSourceRange fileNameRange, clang::OptionalFileEntryRef file,
                          llvm::StringRef searchPath, llvm::StringRef relativePath, const clang::Module*, bool,
                          clang::SrcMgr::CharacteristicKind fileType) override {
    if (!Watched(hash)) return;
    RecordedEvent& event = Add(Kind::kInclusionDirective, hash);
    event.name = Record(includeToken);
    event.spelled = fileName.str();
    event.flag = angled;
    event.begin = Place(fileNameRange.getBegin());
    event.end = Place(fileNameRange.getEnd());
    event.value = fileNameRange.isTokenRange();
    if (file) event.file = file->getName().str();
    event.searchPath = searchPath.str();
    event.relativePath = relativePath.str();
    event.fileType = fileType;
  }

  void MacroDefined(const clang::Token& name, const clang::MacroDirective* directive) override {
    if (!Watched(name.getLocation())) return;
    Add(Kind::kMacroDefined, directive->getLocation()).name = Record(name);
  }

  void MacroUndefined(const clang::Token& name, const clang::MacroDefinition& definition,
                      const clang::MacroDirective* undefinition) override {
    if (!WatchedMacro(name.getLocation(), definition)) return;
    RecordedEvent& event = Add(Kind::kMacroUndefined, undefinition ? undefinition->getLocation() : SourceLocation());
    event.name = Record(name);
    event.other = DefinitionPlace(definition);
  }

  void MacroExpands(const clang::Token& name, const clang::MacroDefinition& definition, clang::SourceRange range,
                    const clang::MacroArgs* arguments) override {
    if (!WatchedMacro(name.getLocation(), definition)) return;
    RecordedEvent& event = AddRanged(Kind::kMacroExpands, name.getLocation(), range);
    event.name = Record(name);
    event.other = DefinitionPlace(definition);
    if (arguments == nullptr) return;
    event.value = 1;
    event.flag = arguments->isVarargsElidedUse();
    for (unsigned index = 0; index < arguments->getNumMacroArguments(); ++index) {
      std::vector<RecordedToken>& tokens = event.arguments.emplace_back();
      for (const clang::Token* token = arguments->getUnexpArgument(index); token->isNot(clang::tok::eof); ++token) {
        tokens.push_back(Record(*token));
      }
    }
  }

  void Defined(const clang::Token& name, const clang::MacroDefinition& definition, clang::SourceRange range) override {
    if (!WatchedMacro(name.getLocation(), definition)) return;
    RecordedEvent& event = AddRanged(Kind::kDefined, name.getLocation(), range);
    event.name = Record(name);
    event.other = DefinitionPlace(definition);
  }

  void If(SourceLocation at, clang::SourceRange condition, ConditionValueKind value) override {
    if (Watched(at)) AddRanged(Kind::kIf, at, condition).value = value;
  }

  void Elif(SourceLocation at, clang::SourceRange condition, ConditionValueKind value, SourceLocation ifAt) override {
    if (!Watched(at)) return;
    RecordedEvent& event = AddRanged(Kind::kElif, at, condition);
    event.value = value;
    event.other = Place(ifAt);
  }

  void Ifdef(SourceLocation at, const clang::Token& name, const clang::MacroDefinition& definition) override {
    if (WatchedMacro(at, definition)) AddNamed(Kind::kIfdef, at, name, definition);
  }

  void Ifndef(SourceLocation at, const clang::Token& name, const clang::MacroDefinition& definition) override {
    if (WatchedMacro(at, definition)) AddNamed(Kind::kIfndef, at, name, definition);
  }

  void Elifdef(SourceLocation at, const clang::Token& name, const clang::MacroDefinition& definition) override {
    if (WatchedMacro(at, definition)) AddNamed(Kind::kElifdef, at, name, definition).flag = true;
  }

  void Elifdef(SourceLocation at, clang::SourceRange condition, SourceLocation ifAt) override {
    if (Watched(at)) AddRanged(Kind::kElifdef, at, condition).other = Place(ifAt);
  }

  void Elifndef(SourceLocation at, const clang::Token& name, const clang::MacroDefinition& definition) override {
    if (WatchedMacro(at, definition)) AddNamed(Kind::kElifndef, at, name, definition).flag = true;
  }

  void Elifndef(SourceLocation at, clang::SourceRange condition, SourceLocation ifAt) override {
    if (Watched(at)) AddRanged(Kind::kElifndef, at, condition).other = Place(ifAt);
  }

  void Else(SourceLocation at, SourceLocation ifAt) override {
    if (Watched(at)) Add(Kind::kElse, at).other = Place(ifAt);
  }

  void Endif(SourceLocation at, SourceLocation ifAt) override {
    if (Watched(at)) Add(Kind::kEndif, at).other = Place(ifAt);
  }

  void SourceRangeSkipped(clang::SourceRange range, SourceLocation endifAt) override {
    if (Watched(range.getBegin())) AddRanged(Kind::kSourceRangeSkipped, endifAt, range);
  }

  void PragmaDirective(SourceLocation at, clang::PragmaIntroducerKind introducer) override {
    if (Watched(at)) Add(Kind::kPragmaDirective, at).value = introducer;
  }

 private:
  /// True for an event past the predefined buffer and outside system headers.
  bool Watched(SourceLocation at) const { return started_ && admits_.At(at); }

  /// True for an event past the predefined buffer that the checks are shown
  /// about a macro.
  bool WatchedMacro(SourceLocation at, const clang::MacroDefinition& definition) const {
    return started_ && admits_.Macro(at, definition);
  }

  RecordedPlace Place(SourceLocation at) const {
    if (at.isInvalid()) return {};
    if (at.isFileID() && sources_.getFileID(at) == sources_.getMainFileID()) {
      return {RecordedPlace::In::kMainFile, sources_.getFileOffset(at)};
    }
    return {RecordedPlace::In::kPreamble, at.getRawEncoding()};
  }

  RecordedPlace DefinitionPlace(const clang::MacroDefinition& definition) const {
    const clang::MacroInfo* info = definition.getMacroInfo();
    return info ? Place(info->getDefinitionLoc()) : RecordedPlace{};
  }

  RecordedToken Record(const clang::Token& token) const {
    RecordedToken recorded{token.getKind(), Place(token.getLocation()), token.getLength(), 0, {}};
    recorded.flags = static_cast<unsigned short>(token.getFlags());
    if (const clang::IdentifierInfo* identifier = token.getIdentifierInfo())
      recorded.identifier = identifier->getName();
    return recorded;
  }

  RecordedEvent& Add(Kind kind, SourceLocation at) {
    RecordedEvent& event = events_.events.emplace_back();
    event.kind = kind;
    event.at = Place(at);
    return event;
  }

  RecordedEvent& AddRanged(Kind kind, SourceLocation at, clang::SourceRange range) {
    RecordedEvent& event = Add(kind, at);
    event.begin = Place(range.getBegin());
    event.end = Place(range.getEnd());
    return event;
  }

  RecordedEvent& AddNamed(Kind kind, SourceLocation at, const clang::Token& name,
                          const clang::MacroDefinition& definition) {
    RecordedEvent& event = Add(kind, at);
    event.name = Record(name);
    event.other = DefinitionPlace(definition);
    return event;
  }

  const clang::SourceManager& sources_;
  UserCodeEvents admits_;
  PreambleEvents& events_;
  bool started_ = false;
};

}  // namespace

std::unique_ptr<clang::PPCallbacks> RecordPreambleEvents(const clang::SourceManager& sources, PreambleEvents& events) {
  return std::make_unique<EventRecorder>(sources, events);
}

}  // namespace zoe
