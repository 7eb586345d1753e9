// The behaviours that consult clang objects passed by the engine: stopping
// after compiler errors, leaving invalid declarations alone in use-using, and
// the template bracket depth across tokens. A build that cannot read clang
// objects answers none of them, and says so in the host's log when the
// service makes its engine.
#include "hooks/check_behaviours.h"
#include "hooks/clang_object_reader.h"
#include "hostlib/zoipc.h"

namespace Quillfern::ZoCodeInspections::Native::Behaviours {

void NoteUnansweredBehaviours() {
  if (ClangObjects::Available()) return;
  Logging::Log(Logging::Level::notice,
               "check hooks: this build cannot read the engine's clang objects; stopping after compiler "
               "errors, leaving invalid typedefs alone and the bracket level are not answered");
}

std::optional<HookArgs> StopAfterErrors(HookCall& call) {
  const auto& diagnostics = call.Target<const clang::DiagnosticsEngine>("Diagnostics_cptr");
  if (!ClangObjects::Available()) return std::nullopt;
  if (ClangObjects::ErrorOccurred(diagnostics)) call.Result("return") = true;
  return call.Answer();
}

std::optional<HookArgs> UseUsingLeaveDeclaration(HookCall& call) {
  const auto& declaration = call.Target<const clang::TypedefDecl>("MatchedDecl_cptr");
  if (!ClangObjects::Available()) return std::nullopt;
  if (ClangObjects::IsInvalid(declaration)) call.Result("return") = true;
  return call.Answer();
}

std::optional<HookArgs> BracketLevel(HookCall& call) {
  const auto& token = call.Target<const clang::Token>("Tok_cptr");
  int32_t& level = call.Target<int32_t>("ParenLevel_ptr");
  if (!ClangObjects::Available()) return std::nullopt;
  // Wraps instead of overflowing on a counter the engine let run away.
  level = static_cast<int32_t>(static_cast<int64_t>(level) + ClangObjects::BracketLevelChange(token));
  if (level < 0) call.Result("fail") = true;
  return call.Answer();
}

}  // namespace Quillfern::ZoCodeInspections::Native::Behaviours
