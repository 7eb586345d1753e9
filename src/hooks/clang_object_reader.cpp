// Built against clang's headers only; see clang_object_reader.h.
#include "hooks/clang_object_reader.h"

#include <clang/AST/Decl.h>
#include <clang/Basic/Diagnostic.h>
#include <clang/Lex/Token.h>

namespace Quillfern::ZoCodeInspections::Native::ClangObjects {

bool Available() { return true; }

bool ErrorOccurred(const clang::DiagnosticsEngine& diagnostics) {
  return diagnostics.hasErrorOccurred() || diagnostics.hasFatalErrorOccurred();
}

bool IsInvalid(const clang::TypedefDecl& declaration) { return declaration.isInvalidDecl(); }

int32_t BracketLevelChange(const clang::Token& token) {
  switch (token.getKind()) {
    case clang::tok::less: return 1;
    case clang::tok::greater: return -1;
    case clang::tok::greatergreater: return -2;
    default: return 0;
  }
}

}  // namespace Quillfern::ZoCodeInspections::Native::ClangObjects
