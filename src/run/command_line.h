// The compiler command line of one source file, in plugin form: the arguments
// a clang driver in MSVC-compatible mode would get with clang-tidy loaded as a
// compiler plugin, every plugin argument wrapped in "-Xclang" pairs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "interop/file_parser.h"
#include "interop/inspection_settings.h"

namespace Quillfern::ZoCodeInspections::Native {

/// True when `path` names a header: its extension (as PathFindExtension finds
/// it) matches one of `headerExtensions` ignoring ASCII case, or it has none
/// and `extensionlessIsHeader` is set. Paths of 512 or more characters never
/// count as headers.
bool IsHeaderFile(const std::string& path, const InspectionSettings& settings);

/// The command line for inspecting `path` with `settings`, the check
/// selection `checks` and `checkOptions` (the library's own options left
/// out). Absent for a header file unless `modeFlags` has
/// ModeFlags::allowHeaderFile; no other mode flag is read.
std::optional<CommandLine> BuildCommandLine(const std::string& path, const InspectionSettings& settings,
                                            uint32_t modeFlags, const std::string& checks,
                                            const CheckOptions& checkOptions);

}  // namespace Quillfern::ZoCodeInspections::Native
