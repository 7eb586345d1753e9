// Names in a run's configuration that no check knows. A misspelt check in
// the check list enables nothing and a misspelt option changes nothing, and
// clang-tidy itself says so only when asked to verify its configuration: a
// run would then report nothing for a check the user believes is on. Each
// unknown name becomes a line of the run's error stream.
#pragma once

namespace llvm {
class raw_ostream;
}

namespace clang::tidy {
struct ClangTidyOptions;
}

namespace zoe {

/// The start of each line this unit writes.
inline constexpr const char* kUnknownNameLine = "Configuration warning: ";

/// Writes a line to `errors` for each pattern of the options' check list
/// that names or matches no check, and for each check option that a known
/// check does not read; the closest known name is suggested.
void WarnAboutUnknownNames(const clang::tidy::ClangTidyOptions& options, llvm::raw_ostream& errors);

}  // namespace zoe
