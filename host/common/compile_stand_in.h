// Which entry of a compile database stands in for a file that has none (a new
// file, one the build does not list), as clang's tools infer a command for it:
// by the language its name says, then by how much of its name and folders the
// entry's path shares.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zoci {

/// The language a file's name says.
enum class NamedLanguage { c, cxx, either /* ".h" */ };

NamedLanguage LanguageNamed(std::string_view path);

/// The index in `paths` (absolute, normalised) of the one whose compile
/// command best stands in for `file`'s; none when `paths` is empty.
std::optional<size_t> StandInFor(const std::string& file, const std::vector<std::string>& paths);

}  // namespace zoci
