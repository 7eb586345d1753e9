// In-source directives: text in a source file that skips diagnostics on some
// lines ("zoCI:skip", with an optional count and check list), in the whole
// file ("zoCI:skipall"), or overrides check options for the parse of a main
// file ("ZOCI:option:name=value"). Found anywhere in the text (comments,
// strings and code alike), ignoring letter case.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "buffers/source_cache.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Lines covered by "zoCI:skip*" and "zoCI:skip-*": a count, not an open end.
inline constexpr int32_t kSkipStarCount = 100'000'000;

/// The record's parsed skip and skip-all directives, parsed on the first call
/// and kept in the record. None (and nothing kept) while the record has no
/// UTF-8 text. Skip directives whose line cannot be told (no mapper) are left
/// out. Throws std::out_of_range "stoul argument out of range" for a count
/// beyond 32 bits (nothing is kept, so the next call fails the same way).
std::shared_ptr<const FileDirectives> GetDirectives(clfile& record);

/// Whether a rule covers the line (0-based) for the check: the first rule
/// whose lines hold it and whose list is empty or has an entry inside the
/// check name (ignoring ASCII case) decides.
bool IsSuppressed(const std::vector<SkipRule>& rules, int32_t line, const std::string& checkName);

/// Whether a main file's text carries the skip-all directive without a
/// check list (the file is then not inspected at all).
bool HasSkipAllDirective(std::string_view text);

/// The option directives of a main file's text, in text order: (option name,
/// value); a later one for the same name overrides an earlier one.
std::vector<std::pair<std::string, std::string>> OptionDirectives(std::string_view text);

}  // namespace Quillfern::ZoCodeInspections::Native
