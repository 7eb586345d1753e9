// The hook points of the engine's customised checks: the identifier each
// passes to the check hook and the named arguments it sends. The engine asks,
// the library answers; both take the identifiers from here.
#pragma once

#include <cstdint>

namespace Quillfern::ZoCodeInspections::Native::HookId {

/// modernize-loop-convert, no arguments: an answer "ok" = false declares the
/// loop variable `auto` where the check would spell the element type.
inline constexpr uint32_t loopConvertPreferType = 0x199BB5C9;
/// modernize-loop-convert: "IteratorName", "ContainerName" (strings),
/// "Style == NS_UpperCase" (bool), "check_if_ok" (a std::function<bool(const
/// std::string&)> that accepts a free name), "OldIndex->getName()" (string).
/// An answer "ok" = true with "ret" names the loop variable.
inline constexpr uint32_t loopConvertVariableName = 0x0B458E3B;
/// modernize-make-shared and modernize-make-unique: "skip_array_ptr" (bool*,
/// true for an array), "typeid_str" (the stock check's type name).
inline constexpr uint32_t makeSmartPointerArrays = 0x646CFF5C;
/// modernize-use-using: "skip_array_ptr" (bool*, true for an array).
inline constexpr uint32_t useUsingArrays = 0x650556A2;
/// modernize-use-bool-literals: "InMacro_ptr", "IgnoreMacros_ptr" (bool*),
/// "Expression_str" (the literal as written).
inline constexpr uint32_t boolLiteralMacros = 0xA39CF891;
/// "Diagnostics_cptr" (const clang::DiagnosticsEngine*): an answer "return" =
/// true stops the check once the compiler has reported an error.
inline constexpr uint32_t stopAfterErrors = 0xADF38EC1;
/// readability-container-size-empty: "AddBraces_ptr" (bool*, true when the
/// check parenthesises the container's text already), "ReplacementText_str"
/// (that text).
inline constexpr uint32_t replacementBraces = 0xCC28F1AD;
/// modernize-use-using: "MatchedDecl_cptr" (const clang::TypedefDecl*); an
/// answer "return" = true leaves the declaration alone.
inline constexpr uint32_t useUsingLeaveDeclaration = 0xE047E2A3;
/// "Tok_cptr" (const clang::Token*), "ParenLevel_ptr" (int32_t*, the template
/// bracket depth, updated by the token); an answer "fail" = true when the
/// depth drops below zero.
inline constexpr uint32_t bracketLevel = 0xE65A5DCB;

}  // namespace Quillfern::ZoCodeInspections::Native::HookId
