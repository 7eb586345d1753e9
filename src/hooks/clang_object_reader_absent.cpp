// The reader of a build without clang's headers. The behaviours ask
// Available() first and answer nothing; the readers fail, should anything
// call them anyway, with an error that says why.
#include <stdexcept>

#include "hooks/clang_object_reader.h"

namespace Quillfern::ZoCodeInspections::Native::ClangObjects {

namespace {
[[noreturn]] void Unavailable() {
  throw std::runtime_error(
      "this build of the library cannot read clang objects (built without clang's headers, "
      "ZOCI_HOOKS_CLANG_OBJECTS=OFF); the hook behaviour that needs them is unavailable");
}
}  // namespace

bool Available() { return false; }

bool ErrorOccurred(const clang::DiagnosticsEngine&) { Unavailable(); }

bool IsInvalid(const clang::TypedefDecl&) { Unavailable(); }

int32_t BracketLevelChange(const clang::Token&) { Unavailable(); }

}  // namespace Quillfern::ZoCodeInspections::Native::ClangObjects
