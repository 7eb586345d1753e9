#include "preamble_replay.h"

#include <utility>
#include <vector>

#include <clang/Basic/FileManager.h>
#include <clang/Basic/SourceManager.h>
#include <clang/Frontend/CompilerInstance.h>
#include <clang/Lex/MacroArgs.h>
#include <clang/Lex/MacroInfo.h>
#include <clang/Lex/Preprocessor.h>
#include <clang/Serialization/ASTReader.h>
#include <clang/Serialization/ModuleManager.h>

namespace zoe {

namespace {

using clang::SourceLocation;
using Kind = RecordedEvent::Kind;

/// Points the literal tokens of a macro loaded from the preamble at their
/// text, which the preamble does not keep: checks read their spelling.
void RestoreLiteralText(const clang::MacroInfo& macro, const clang::SourceManager& sources) {
  for (const clang::Token& token : macro.tokens()) {
    if (!token.isLiteral() || token.getLiteralData() != nullptr || token.getLocation().isInvalid()) continue;
    const_cast<clang::Token&>(token).setLiteralData(sources.getCharacterData(token.getLocation()));
  }
}

clang::PPCallbacks::ConditionValueKind ConditionValue(int value) {
  return static_cast<clang::PPCallbacks::ConditionValueKind>(value);
}

}  // namespace

PreambleReplay::PreambleReplay(std::shared_ptr<const PreambleEvents> events, clang::CompilerInstance& compiler)
    : events_(std::move(events)), compiler_(compiler) {}

void PreambleReplay::FileChanged(SourceLocation at, FileChangeReason reason, clang::SrcMgr::CharacteristicKind,
                                 clang::FileID) {
  if (replayed_ || target_ == nullptr || reason != ExitFile) return;
  const clang::SourceManager& sources = compiler_.getSourceManager();
  if (sources.getFileID(at) != sources.getMainFileID()) return;
  // Set first: the target's chain leads back here.
  replayed_ = true;
  for (const RecordedEvent& event : events_->events) Replay(event);
}

void PreambleReplay::Replay(const RecordedEvent& event) {
  clang::FileManager& files = compiler_.getFileManager();
  switch (event.kind) {
    case Kind::kFileChanged: {
      const SourceLocation left = Translate(event.other);
      target_->FileChanged(Translate(event.at), static_cast<FileChangeReason>(event.value),
                           static_cast<clang::SrcMgr::CharacteristicKind>(event.fileType),
                           left.isValid() ? compiler_.getSourceManager().getFileID(left) : clang::FileID());
      return;
    }
    case Kind::kFileSkipped: {
      if (auto file = files.getOptionalFileRef(event.file)) {
        target_->FileSkipped(*file, MakeToken(event.name),
                             static_cast<clang::SrcMgr::CharacteristicKind>(event.fileType));
      } else {
        ++missed_;
      }
      return;
    }
    case Kind::kInclusionDirective: {
      clang::OptionalFileEntryRef file;
      if (!event.file.empty()) file = files.getOptionalFileRef(event.file);
      const clang::CharSourceRange range(TranslateRange(event), event.value != 0);
      target_->InclusionDirective(Translate(event.at), MakeToken(event.name), event.spelled, event.flag, range, file,
                                  event.searchPath, event.relativePath, nullptr, false,
                                  static_cast<clang::SrcMgr::CharacteristicKind>(event.fileType));
      return;
    }
    case Kind::kMacroDefined:
    case Kind::kMacroUndefined:
    case Kind::kMacroExpands:
    case Kind::kDefined:
    case Kind::kIfdef:
    case Kind::kIfndef: ReplayMacroEvent(event); return;
    case Kind::kElifdef:
    case Kind::kElifndef:
      if (event.flag) {
        ReplayMacroEvent(event);
      } else {
        ReplaySkippedElifdef(event);
      }
      return;
    default: ReplayConditional(event); return;
  }
}

void PreambleReplay::ReplayMacroEvent(const RecordedEvent& event) {
  clang::MacroDefinition definition;
  if (!FindDefinition(event, definition)) {
    ++missed_;
    return;
  }
  const clang::Token name = MakeToken(event.name);
  switch (event.kind) {
    case Kind::kMacroDefined: target_->MacroDefined(name, definition.getLocalDirective()); return;
    case Kind::kMacroUndefined: {
      clang::MacroDirective* undefinition = FindDirective(event.name, event.at);
      if (undefinition == nullptr) {
        ++missed_;
        return;
      }
      target_->MacroUndefined(name, definition, undefinition);
      return;
    }
    case Kind::kMacroExpands: {
      clang::MacroArgs* arguments = MakeArguments(event, definition);
      target_->MacroExpands(name, definition, TranslateRange(event), arguments);
      if (arguments != nullptr) arguments->destroy(compiler_.getPreprocessor());
      return;
    }
    case Kind::kDefined: target_->Defined(name, definition, TranslateRange(event)); return;
    case Kind::kIfdef: target_->Ifdef(Translate(event.at), name, definition); return;
    case Kind::kIfndef: target_->Ifndef(Translate(event.at), name, definition); return;
    case Kind::kElifdef: target_->Elifdef(Translate(event.at), name, definition); return;
    case Kind::kElifndef: target_->Elifndef(Translate(event.at), name, definition); return;
    default: return;
  }
}

void PreambleReplay::ReplaySkippedElifdef(const RecordedEvent& event) {
  const SourceLocation at = Translate(event.at);
  if (event.kind == Kind::kElifdef) {
    target_->Elifdef(at, TranslateRange(event), Translate(event.other));
  } else {
    target_->Elifndef(at, TranslateRange(event), Translate(event.other));
  }
}

void PreambleReplay::ReplayConditional(const RecordedEvent& event) {
  const SourceLocation at = Translate(event.at);
  switch (event.kind) {
    case Kind::kIf: target_->If(at, TranslateRange(event), ConditionValue(event.value)); return;
    case Kind::kElif:
      target_->Elif(at, TranslateRange(event), ConditionValue(event.value), Translate(event.other));
      return;
    case Kind::kElse: target_->Else(at, Translate(event.other)); return;
    case Kind::kEndif: target_->Endif(at, Translate(event.other)); return;
    case Kind::kSourceRangeSkipped: target_->SourceRangeSkipped(TranslateRange(event), at); return;
    case Kind::kPragmaDirective:
      target_->PragmaDirective(at, static_cast<clang::PragmaIntroducerKind>(event.value));
      return;
    default: return;
  }
}

SourceLocation PreambleReplay::Translate(const RecordedPlace& place) const {
  switch (place.in) {
    case RecordedPlace::In::kNowhere: return {};
    case RecordedPlace::In::kMainFile: {
      const clang::SourceManager& sources = compiler_.getSourceManager();
      return sources.getComposedLoc(sources.getMainFileID(), place.value);
    }
    case RecordedPlace::In::kPreamble: {
      const llvm::IntrusiveRefCntPtr<clang::ASTReader> reader = compiler_.getASTReader();
      if (reader == nullptr) return {};
      return reader->TranslateSourceLocation(reader->getModuleManager().getPrimaryModule(),
                                             SourceLocation::getFromRawEncoding(place.value));
    }
  }
  return {};
}

SourceLocation PreambleReplay::TranslateAsLoaded(const RecordedPlace& place) const {
  const clang::SourceManager& sources = compiler_.getSourceManager();
  if (place.in != RecordedPlace::In::kMainFile || sources.getPreambleFileID().isInvalid()) return Translate(place);
  return sources.getComposedLoc(sources.getPreambleFileID(), place.value);
}

clang::SourceRange PreambleReplay::TranslateRange(const RecordedEvent& event) const {
  return {Translate(event.begin), Translate(event.end)};
}

clang::Token PreambleReplay::MakeToken(const RecordedToken& recorded) const {
  clang::Token token;
  token.startToken();
  token.setKind(recorded.kind);
  token.setLocation(Translate(recorded.place));
  token.setLength(recorded.length);
  token.setFlag(static_cast<clang::Token::TokenFlags>(recorded.flags));
  if (!recorded.identifier.empty()) {
    token.setIdentifierInfo(compiler_.getPreprocessor().getIdentifierInfo(recorded.identifier));
  } else if (clang::tok::isLiteral(recorded.kind) && token.getLocation().isValid()) {
    token.setLiteralData(compiler_.getSourceManager().getCharacterData(token.getLocation()));
  }
  return token;
}

clang::MacroDirective* PreambleReplay::FindDirective(const RecordedToken& name, const RecordedPlace& place) const {
  clang::Preprocessor& preprocessor = compiler_.getPreprocessor();
  const clang::IdentifierInfo* identifier = preprocessor.getIdentifierInfo(name.identifier);
  // Brings the identifier's macros in from the preamble first.
  (void)preprocessor.getLeafModuleMacros(identifier);
  const SourceLocation at = TranslateAsLoaded(place);
  for (clang::MacroDirective* directive = preprocessor.getLocalMacroDirectiveHistory(identifier); directive != nullptr;
       directive = directive->getPrevious()) {
    if (directive->getLocation() == at) return directive;
  }
  return nullptr;
}

bool PreambleReplay::FindDefinition(const RecordedEvent& event, clang::MacroDefinition& definition) const {
  const RecordedPlace& place = event.kind == Kind::kMacroDefined ? event.at : event.other;
  if (place.in == RecordedPlace::In::kNowhere) return event.kind != Kind::kMacroDefined;
  auto* directive = llvm::dyn_cast_or_null<clang::DefMacroDirective>(FindDirective(event.name, place));
  if (directive == nullptr) return false;
  RestoreLiteralText(*directive->getInfo(), compiler_.getSourceManager());
  definition = clang::MacroDefinition(directive, {}, false);
  return true;
}

clang::MacroArgs* PreambleReplay::MakeArguments(const RecordedEvent& event,
                                                const clang::MacroDefinition& definition) const {
  if (event.value == 0 || definition.getMacroInfo() == nullptr) return nullptr;
  std::vector<clang::Token> tokens;
  for (const std::vector<RecordedToken>& argument : event.arguments) {
    for (const RecordedToken& recorded : argument) tokens.push_back(MakeToken(recorded));
    clang::Token end;
    end.startToken();
    end.setKind(clang::tok::eof);
    end.setLocation(Translate(event.end));
    tokens.push_back(end);
  }
  return clang::MacroArgs::create(definition.getMacroInfo(), tokens, event.flag, compiler_.getPreprocessor());
}

}  // namespace zoe
