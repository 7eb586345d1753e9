// Reading the Checks, CheckOptions, WarningsAsErrors and header filters of a
// .clang-tidy file (the YAML forms clang-tidy writes: a plain, quoted or
// folded glob list; CheckOptions as a key/value list or as a map).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "header_filter.h"

namespace zoci {

struct TidyConfig {
  std::optional<std::string> checks;
  std::map<std::string, std::string> checkOptions;
  std::optional<std::string> warningsAsErrors;  ///< glob list
  std::optional<std::string> formatStyle;       ///< which zoci does not apply, but names
  HeaderFilterTexts headerFilter;  ///< HeaderFilterRegex, ExcludeHeaderFilterRegex
  bool inheritsParent = false;     ///< InheritParentConfig: what it leaves out comes from the file above
};

/// What the configuration and the command line ask of one file's run.
struct RunConfig {
  std::string checks;
  std::map<std::string, std::string> checkOptions;
  std::string warningsAsErrors;  ///< the configuration's globs, then the command line's
  bool formatsFixes = false;     ///< the configuration asks for fixes formatted in a FormatStyle
  HeaderFilterTexts headerFilterTexts;
  HeaderFilter headerFilter;  ///< compiled from headerFilterTexts
};

/// Parses the text of a .clang-tidy file; on failure `error` says which line.
std::optional<TidyConfig> ParseTidyConfig(std::string_view text, std::string& error);

/// Reads and parses a .clang-tidy file; on failure `error` names the file and says why.
std::optional<TidyConfig> ReadTidyConfig(const std::string& path, std::string& error);

}  // namespace zoci

namespace zoci {

/// The file name of a folder's check configuration.
inline constexpr const char* kTidyConfigName = ".clang-tidy";

/// The .clang-tidy file that applies to `source` (the nearest one in its
/// folder or above), none when there is none.
std::optional<std::string> FindTidyConfigFile(const std::string& source);

/// Merges into `config` (read from `configFile`) the .clang-tidy files above
/// it while each inherits its parent's, as clang-tidy does: a header filter
/// or FormatStyle it leaves out comes from above, warnings-as-errors globs
/// from above come first. False, with `error`, when one of them cannot be read.
bool InheritFromAbove(TidyConfig& config, const std::string& configFile, std::string& error);

/// Two glob lists as one, `first`'s before `then`'s.
std::string JoinedGlobs(const std::string& first, const std::string& then);

}  // namespace zoci
