#include "customised_loop_convert.h"

#include <cctype>
#include <functional>
#include <optional>

#include <clang/AST/ParentMapContext.h>
#include <clang/AST/RecursiveASTVisitor.h>
#include <clang/Basic/IdentifierTable.h>

#include "check_hooks.h"
#include "customised_run.h"
#include "held_diagnostics.h"

namespace zoe {

namespace {

using clang::ast_matchers::MatchFinder;

bool IsIdentifierCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

/// The identifier `text` ends with; empty when it ends otherwise (a call).
std::string TrailingIdentifier(llvm::StringRef text) {
  size_t start = text.size();
  while (start > 0 && IsIdentifierCharacter(text[start - 1])) --start;
  return text.substr(start).str();
}

/// `text` with every whole identifier `from` replaced by `to`.
std::string ReplaceIdentifier(llvm::StringRef text, llvm::StringRef from, llvm::StringRef to) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (!IsIdentifierCharacter(text[i])) {
      out += text[i++];
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsIdentifierCharacter(text[end])) ++end;
    const llvm::StringRef word = text.slice(i, end);
    out += word == from ? to : word;
    i = end;
  }
  return out;
}

/// The type of a loop variable declared `auto`, keeping its const and reference.
std::string AsAuto(llvm::StringRef type) {
  if (type.contains("auto")) return type.str();
  std::string automatic = type.starts_with("const ") ? "const auto" : "auto";
  if (type.ends_with("&&")) return automatic + " &&";
  if (type.ends_with("&")) return automatic + " &";
  return automatic;
}

/// The converted loop of a match.
const clang::ForStmt* MatchedLoop(const MatchFinder::MatchResult& result) {
  for (const auto& [name, node] : result.Nodes.getMap()) {
    if (const auto* loop = node.get<clang::ForStmt>()) return loop;
  }
  return nullptr;
}

/// Whether a variable named `name` is declared in `statement`.
bool DeclaresVariable(const clang::Stmt* statement, llvm::StringRef name) {
  if (statement == nullptr) return false;
  if (const auto* declarations = llvm::dyn_cast<clang::DeclStmt>(statement)) {
    for (const clang::Decl* declaration : declarations->decls()) {
      const auto* variable = llvm::dyn_cast<clang::VarDecl>(declaration);
      if (variable != nullptr && variable->getName() == name) return true;
    }
  }
  for (const clang::Stmt* child : statement->children()) {
    if (DeclaresVariable(child, name)) return true;
  }
  return false;
}

/// Finds a use of a member named `name` whose object is not written (`item`
/// for `this->item`): a loop variable of that name would capture it, which the
/// stock search for clashes, looking at declarations only, does not see.
class ImplicitMemberUse : public clang::RecursiveASTVisitor<ImplicitMemberUse> {
 public:
  explicit ImplicitMemberUse(llvm::StringRef name) : name_(name) {}
  bool In(const clang::Stmt* statement) {
    TraverseStmt(const_cast<clang::Stmt*>(statement));
    return found_;
  }
  bool VisitMemberExpr(clang::MemberExpr* use) {
    return See(use->isImplicitAccess(), use->getMemberDecl()->getDeclName());
  }
  bool VisitCXXDependentScopeMemberExpr(clang::CXXDependentScopeMemberExpr* use) {
    return See(use->isImplicitAccess(), use->getMember());
  }
  bool VisitUnresolvedMemberExpr(clang::UnresolvedMemberExpr* use) {
    return See(use->isImplicitAccess(), use->getMemberName());
  }
  bool VisitUnresolvedLookupExpr(clang::UnresolvedLookupExpr* use) {
    return See(use->getQualifier() == nullptr, use->getName());
  }

 private:
  /// Notes a use of `member`; false (stop) once one is found.
  bool See(bool implicit, const clang::DeclarationName& member) {
    found_ = found_ || (implicit && member.isIdentifier() && member.getAsIdentifierInfo()->getName() == name_);
    return !found_;
  }

  llvm::StringRef name_;
  bool found_ = false;
};

}  // namespace

/// The stock check's loop header "(TYPE NAME : RANGE)", taken apart.
struct CustomisedLoopConvert::LoopHeader {
  clang::FixItHint* fix = nullptr;
  std::string type;
  std::string name;
  std::string range;

  static std::optional<LoopHeader> Find(std::vector<clang::FixItHint>& fixes) {
    for (clang::FixItHint& fix : fixes) {
      const llvm::StringRef text = fix.CodeToInsert;
      const size_t colon = text.find(" : ");
      if (!text.starts_with("(") || !text.ends_with(")") || colon == llvm::StringRef::npos) continue;
      const llvm::StringRef declarator = text.slice(1, colon);
      const size_t space = declarator.rfind(' ');
      if (space == llvm::StringRef::npos) continue;
      return LoopHeader{&fix, declarator.substr(0, space).str(), declarator.substr(space + 1).str(),
                        text.slice(colon + 3, text.size() - 1).str()};
    }
    return std::nullopt;
  }

  void Write() const { fix->CodeToInsert = "(" + type + " " + name + " : " + range + ")"; }
};

CustomisedLoopConvert::CustomisedLoopConvert(llvm::StringRef name, clang::tidy::ClangTidyContext* context)
    : LoopConvertCheck(name, context), upperCase_(Options.get("NamingStyle", "CamelCase") == "UPPER_CASE") {}

void CustomisedLoopConvert::check(const MatchFinder::MatchResult& result) {
  if (!HookInstalled()) return LoopConvertCheck::check(result);
  HeldDiagnostics held(CustomisedRun::Current().CheckDiagnostics());
  LoopConvertCheck::check(result);
  for (HeldDiagnostic& diagnostic : held.Release()) {
    Customise(diagnostic.fixes, result);
    Report(*this, getID(), diagnostic);
  }
}

void CustomisedLoopConvert::Customise(std::vector<clang::FixItHint>& fixes, const MatchFinder::MatchResult& result) {
  std::optional<LoopHeader> header = LoopHeader::Find(fixes);
  const clang::ForStmt* loop = MatchedLoop(result);
  if (!header || loop == nullptr) return;
  if (AnswerFlag(AskHook(HookId::loopConvertPreferType, {}), "ok") == false) header->type = AsAuto(header->type);
  // A name taken from an alias declared in the body stays.
  const std::string name =
      DeclaresVariable(loop->getBody(), header->name) ? header->name : VariableName(*header, *loop, result);
  named_[loop] = name;
  if (name != header->name) {
    for (clang::FixItHint& fix : fixes) {
      if (&fix != header->fix) fix.CodeToInsert = ReplaceIdentifier(fix.CodeToInsert, header->name, name);
    }
    header->name = name;
  }
  header->Write();
}

std::string CustomisedLoopConvert::VariableName(const LoopHeader& header, const clang::ForStmt& loop,
                                                const MatchFinder::MatchResult& result) {
  const auto* oldIndex = result.Nodes.getNodeAs<clang::VarDecl>("initVar");
  if (oldIndex == nullptr) return header.name;
  const std::string oldName = oldIndex->getName().str();
  const std::function<bool(const std::string&)> acceptable = [&](const std::string& name) {
    return name == oldName || !NameTaken(name, loop, *result.Context);
  };
  const std::optional<HookArgs> answer =
      AskHook(HookId::loopConvertVariableName, {{"IteratorName", std::string()},
                                                {"ContainerName", TrailingIdentifier(header.range)},
                                                {"Style == NS_UpperCase", upperCase_},
                                                {"check_if_ok", Erased(acceptable)},
                                                {"OldIndex->getName()", oldName}});
  const std::string* name = AnswerText(answer, "ret");
  if (AnswerFlag(answer, "ok") == true && name != nullptr && !name->empty()) return *name;
  // The stock name, unless it would capture a member that the body uses.
  return ImplicitMemberUse(header.name).In(&loop) ? oldName : header.name;
}

bool CustomisedLoopConvert::NameTaken(const std::string& name, const clang::ForStmt& loop, clang::ASTContext& context) {
  const clang::IdentifierInfo& identifier = context.Idents.get(name);
  if (!clang::tok::isAnyIdentifier(identifier.getTokenID()) || identifier.hasMacroDefinition()) return true;
  // The variables of enclosing loops converted before this one.
  clang::DynTypedNodeList parents = context.getParents(loop);
  while (!parents.empty()) {
    if (const auto* outer = parents[0].get<clang::ForStmt>()) {
      const auto found = named_.find(outer);
      if (found != named_.end() && found->second == name) return true;
    }
    parents = context.getParents(parents[0]);
  }
  clang::tidy::modernize::DeclFinderASTVisitor finder(name, &named_);
  return finder.findUsages(&loop) || ImplicitMemberUse(name).In(&loop);
}

}  // namespace zoe
