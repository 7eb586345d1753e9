// The few facts the check hooks read from clang's own objects, which live in
// the engine. Only this reader is compiled against clang's headers, and the
// library never links clang: everything it uses is inline in those headers.
// A build without the headers (the 32-bit Windows product) has a reader
// that is not Available(); the behaviours then answer nothing.
#pragma once

#include <cstdint>

namespace clang {
class DiagnosticsEngine;
class TypedefDecl;
class Token;
}  // namespace clang

namespace Quillfern::ZoCodeInspections::Native::ClangObjects {

/// Whether this build can read clang objects.
bool Available();

/// True once the compiler has reported an error or a fatal error.
bool ErrorOccurred(const clang::DiagnosticsEngine& diagnostics);

/// True when the declaration is marked invalid.
bool IsInvalid(const clang::TypedefDecl& declaration);

/// How the token changes the template bracket depth: "<" +1, ">" -1, ">>" -2,
/// any other token 0.
int32_t BracketLevelChange(const clang::Token& token);

}  // namespace Quillfern::ZoCodeInspections::Native::ClangObjects
