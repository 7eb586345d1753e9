#include "unknown_names.h"

#include <string>

#include <ClangTidy.h>
#include <ClangTidyOptions.h>
#include <GlobList.h>
#include <llvm/ADT/StringRef.h>
#include <llvm/ADT/StringSet.h>
#include <llvm/Support/raw_ostream.h>

namespace zoe {
namespace {

/// Every check and every option a check reads, found once per process by
/// creating every check.
const clang::tidy::NamesAndOptions& Known() {
  static const clang::tidy::NamesAndOptions known = clang::tidy::getAllChecksAndOptions();
  return known;
}

/// The known name closest to `name` within a few edits, or empty.
llvm::StringRef Closest(llvm::StringRef name, const llvm::StringSet<>& known) {
  constexpr unsigned kMostEdits = 3;
  llvm::StringRef closest;
  unsigned fewest = kMostEdits + 1;
  for (const auto& candidate : known) {
    const unsigned edits = name.edit_distance(candidate.getKey(), /*AllowReplacements=*/true, fewest);
    if (edits < fewest) {
      fewest = edits;
      closest = candidate.getKey();
    }
  }
  return closest;
}

void WriteUnknown(llvm::StringRef what, llvm::StringRef name, const llvm::StringSet<>& known,
                  llvm::raw_ostream& errors) {
  errors << kUnknownNameLine << "unknown " << what << " '" << name << "'";
  if (const llvm::StringRef closest = Closest(name, known); !closest.empty()) {
    errors << "; did you mean '" << closest << "'?";
  }
  errors << "\n";
}

/// Whether the pattern `glob` (with `*` for any text) matches a known check.
bool MatchesAnyCheck(llvm::StringRef glob) {
  const clang::tidy::GlobList pattern(glob);
  for (const auto& check : Known().Names) {
    if (pattern.contains(check.getKey())) return true;
  }
  return false;
}

void WarnAboutChecks(llvm::StringRef checks, llvm::raw_ostream& errors) {
  llvm::SmallVector<llvm::StringRef, 16> globs;
  checks.split(globs, ',', /*MaxSplit=*/-1, /*KeepEmpty=*/false);
  llvm::StringSet<> seen;
  for (llvm::StringRef glob : globs) {
    glob = glob.trim();
    glob.consume_front("-");
    // The compiler's warnings are named by their flags, which no check lists.
    if (glob.empty() || glob.starts_with("clang-diagnostic-") || !seen.insert(glob).second) continue;
    if (glob.contains('*')) {
      if (!MatchesAnyCheck(glob)) errors << kUnknownNameLine << "the pattern '" << glob << "' matches no check\n";
    } else if (!Known().Names.contains(glob)) {
      WriteUnknown("check", glob, Known().Names, errors);
    }
  }
}

void WarnAboutOptions(const clang::tidy::ClangTidyOptions::OptionMap& options, llvm::raw_ostream& errors) {
  for (const auto& option : options) {
    const llvm::StringRef name = option.getKey();
    // An option without a known check before its dot may be a global one,
    // which any check may read.
    const auto [check, rest] = name.split('.');
    if (rest.empty() || !Known().Names.contains(check) || Known().Options.contains(name)) continue;
    WriteUnknown("check option", name, Known().Options, errors);
  }
}

}  // namespace

void WarnAboutUnknownNames(const clang::tidy::ClangTidyOptions& options, llvm::raw_ostream& errors) {
  if (options.Checks) WarnAboutChecks(*options.Checks, errors);
  WarnAboutOptions(options.CheckOptions, errors);
}

}  // namespace zoe
