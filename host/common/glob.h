// Check-name patterns in clang-tidy's style: a comma-separated list of globs
// ("*" matches any run of characters), where a leading "-" excludes; the last
// pattern that matches decides.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zoci {

/// Whether `name` is selected by the pattern list `globs`.
bool MatchesGlobList(std::string_view globs, std::string_view name);
/// Whether `globs` select `name` or one of its `aliases`.
bool MatchesGlobList(std::string_view globs, std::string_view name, const std::vector<std::string>& aliases);

}  // namespace zoci
