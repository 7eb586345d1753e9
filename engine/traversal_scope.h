// Which declarations the checks' matchers visit. Diagnostics in system headers
// are never shown, so matching inside them is wasted work, often most of a
// run's time: the checks visit only the top-level declarations outside system
// headers (user headers stay, since the header filter may report them). The
// translation unit itself stays the root, so `hasParent`/`hasAncestor` still
// reach it. A few checks judge user code by what they collect over the whole
// unit; when one of them runs, the whole unit is visited as before.
#pragma once

#include <functional>
#include <string_view>

namespace clang {
class ASTContext;
}

namespace zoe {

/// True when a check that `isEnabled` names collects over the whole unit.
bool ChecksNeedWholeUnit(const std::function<bool(std::string_view)>& isEnabled);

/// Restricts what the matchers of `context` visit to the top-level
/// declarations outside system headers. With `onlyParsed`, the declarations
/// of a loaded precompiled preamble (system headers only) are not even read.
void VisitOnlyUserDeclarations(clang::ASTContext& context, bool onlyParsed = false);

}  // namespace zoe
