#include "run/compiler_versions.h"

#include <limits>
#include <span>
#include <stdexcept>

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// Reads a leading integer the way std::stol does (white space, sign,
/// digits); absent instead of an exception when there are no digits or the
/// value does not fit 32 bits, so a malformed setting never reaches the host
/// as an error.
std::optional<int32_t> ReadLeadingNumber(const std::string& text) {
  try {
    const long value = std::stol(text);
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
      return std::nullopt;
    }
    return static_cast<int32_t>(value);
  } catch (const std::logic_error&) {  // invalid_argument and out_of_range
    return std::nullopt;
  }
}

/// IDE minor versions [firstMinor, lastMinor] that map to one compatibility version.
struct MinorRow {
  int32_t firstMinor;
  int32_t lastMinor;
  const char* version;
};

/// The IDE releases that shipped one toolset, and what their minor versions mean.
struct ToolsetIdeTable {
  int32_t toolset;
  int32_t ideMajor;
  std::span<const MinorRow> rows;
  const char* otherMinor;  ///< any minor not in `rows`, negative ones included
};

constexpr MinorRow kToolset141Rows[] = {
    {0, 2, "19.10"}, {3, 4, "19.11"}, {5, 5, "19.12"}, {6, 6, "19.13"}, {7, 7, "19.14"}, {8, 8, "19.15"},
};
constexpr MinorRow kToolset142Rows[] = {
    {0, 0, "19.20"}, {1, 1, "19.21"}, {2, 2, "19.22"}, {3, 3, "19.23"}, {4, 4, "19.24"},
};
constexpr ToolsetIdeTable kIdeTables[] = {
    {141, 15, kToolset141Rows, "19.16"},
    {142, 16, kToolset142Rows, "19.25"},
};

const ToolsetIdeTable* FindIdeTable(int32_t toolset) {
  for (const ToolsetIdeTable& table : kIdeTables) {
    if (table.toolset == toolset) return &table;
  }
  return nullptr;
}

/// The version a toolset's IDE table gives, or absent when the IDE version
/// is of another release or cannot be read.
std::optional<std::string> VersionFromIde(const ToolsetIdeTable& table, const std::string& ideVersion) {
  if (ReadLeadingNumber(ideVersion) != table.ideMajor) return std::nullopt;
  const size_t dot = ideVersion.find('.');
  if (dot == std::string::npos) return std::nullopt;
  const std::optional<int32_t> minor = ReadLeadingNumber(ideVersion.substr(dot + 1));
  if (!minor) return std::nullopt;
  for (const MinorRow& row : table.rows) {
    if (*minor >= row.firstMinor && *minor <= row.lastMinor) return row.version;
  }
  return table.otherMinor;
}

}  // namespace

std::optional<int32_t> ToolsetNumber(const std::string& platformToolset) {
  if (platformToolset.empty() || (platformToolset[0] != 'v' && platformToolset[0] != 'V')) {
    return std::nullopt;
  }
  return ReadLeadingNumber(platformToolset.substr(1));
}

std::string MsvcCompatibilityVersion(std::optional<int32_t> toolset, const std::string& ideVersion) {
  static const std::string kDefaultVersion = "19.24";
  if (!toolset) return kDefaultVersion;
  if (*toolset < 140) return "18";
  if (*toolset == 140) return "19.0";
  if (const ToolsetIdeTable* table = FindIdeTable(*toolset)) {
    return VersionFromIde(*table, ideVersion).value_or(kDefaultVersion);
  }
  return kDefaultVersion;
}

std::optional<std::string> LanguageStandardArgument(int32_t languageStandard, int32_t toolset) {
  switch (languageStandard) {
    case 11: return "-std=c++11";
    case 14: return "-std=c++14";
    case 17: return "-std=c++17";
    case 20: return "-std=c++2a";
    case 99:  // the latest standard the toolset knows
      if (toolset >= 142) return "-std=c++2a";
      if (toolset >= 140) return "-std=c++17";
      return std::nullopt;
    default:  // the toolset's own default
      if (toolset >= 141) return "-std=c++17";
      if (toolset >= 120) return "-std=c++14";
      if (toolset >= 100) return "-std=c++11";
      return std::nullopt;
  }
}

}  // namespace Quillfern::ZoCodeInspections::Native
