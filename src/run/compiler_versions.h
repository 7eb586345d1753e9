// Reading the project's toolset and IDE version, and the two compiler
// settings derived from them: the MSVC compatibility version and the C++
// language standard argument.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace Quillfern::ZoCodeInspections::Native {

/// The toolset number of a toolset text such as "v142" or "V141_xp": the
/// number after the leading "v" or "V", read as the C runtime reads a long.
/// Absent when the text does not start with "v", or when no number follows it
/// or the number is outside the 32-bit range (an unknown toolset).
std::optional<int32_t> ToolsetNumber(const std::string& platformToolset);

/// The value for "-fms-compatibility-version=". Toolsets 141 and 142 are
/// refined by the IDE version ("major.minor"); an unknown toolset, or an IDE
/// version whose numbers cannot be read, gives the default "19.24".
std::string MsvcCompatibilityVersion(std::optional<int32_t> toolset, const std::string& ideVersion);

/// The "-std=" argument for a C++ file, or absent when the compiler's own
/// default applies. `toolset` is 0 for an unknown toolset.
std::optional<std::string> LanguageStandardArgument(int32_t languageStandard, int32_t toolset);

}  // namespace Quillfern::ZoCodeInspections::Native
