// Which headers' diagnostics zoci shows: the HeaderFilterRegex and
// ExcludeHeaderFilterRegex of a .clang-tidy file, or --header-filter and
// --exclude-header-filter, applied as clang-tidy applies them. The library
// reports every header that is not a system one; this narrows that down.
#pragma once

#include <optional>
#include <regex>
#include <string>

namespace zoci {

/// The two expressions as written; an absent one was not given.
struct HeaderFilterTexts {
  std::optional<std::string> include;  ///< HeaderFilterRegex, --header-filter
  std::optional<std::string> exclude;  ///< ExcludeHeaderFilterRegex, --exclude-header-filter

  bool operator==(const HeaderFilterTexts&) const = default;
};

/// `overriding`'s expressions where it gives them, else `base`'s.
HeaderFilterTexts Overlaid(const HeaderFilterTexts& base, const HeaderFilterTexts& overriding);

/// The compiled filter. Each expression is POSIX extended, searched in the
/// header's path as the engine names it (absolute); an empty one matches
/// nothing. Without an include expression every header is shown, as zoci
/// shows them by default, so an exclusion works on its own.
class HeaderFilter {
 public:
  /// Shows every header.
  HeaderFilter() = default;

  /// None, with `error` naming the expression, when one does not parse.
  static std::optional<HeaderFilter> Compile(const HeaderFilterTexts& texts, std::string& error);

  /// Whether diagnostics in the header at `path` are shown.
  [[nodiscard]] bool Shows(const std::string& path) const;

 private:
  bool includeAll_ = true;
  std::optional<std::regex> include_;  ///< none and not includeAll_: nothing is included
  std::optional<std::regex> exclude_;  ///< none: nothing is excluded
};

}  // namespace zoci
