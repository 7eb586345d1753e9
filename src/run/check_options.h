// Check selection and check options on their way to the engine: turns the
// plugin-form command line into the engine's standalone arguments, and applies
// the option overrides that the main file asks for.
//
// Check options whose names carry the marker ".ZO." are this library's own
// (read by the check hooks); they never reach the compiler or the engine's
// configuration.
#pragma once

#include <list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "interop/file_parser.h"
#include "interop/inspection_settings.h"

namespace Quillfern::ZoCodeInspections::Native {

/// Marks a check option name as one of this library's own.
inline constexpr std::string_view kOwnOptionMarker = ".ZO.";

/// True when `name` contains the marker anywhere (case-sensitive).
bool IsOwnCheckOption(std::string_view name);

/// Option values that the main file's directives set for one run: name to value.
using OptionOverrides = std::unordered_map<std::string, std::string>;

/// Arguments of the engine's standalone form: an optional "-checks=" selection,
/// "-enable-check-profile" when profiling was asked for, one "-extra-arg="
/// per compiler argument, and an optional "-config={CheckOptions: [...], ...}".
using EngineArguments = std::list<std::string>;

/// The engine's configuration argument for check options (name to value, in
/// byte order of the names). Names and values are quoted, so each reaches its
/// check exactly as written, and the configuration merges over the
/// ".clang-tidy" files above the source instead of hiding them: a file gets
/// the same checks with or without options.
std::string ConfigurationArgument(const std::map<std::string, std::string>& options);

/// Translates `commandLine` to engine arguments. Every override is written
/// into `checkOptions`; those of options that are not the library's own also
/// replace or add their entry in the configuration. Absent when the command
/// line is not well-formed plugin form (a dangling "-Xclang" or
/// "-plugin-arg-clang-tidy", an unknown payload or plugin argument, an option
/// without "=").
std::optional<EngineArguments> ProcessParameters(const CommandLine& commandLine, CheckOptions& checkOptions,
                                                 const OptionOverrides& overrides);

}  // namespace Quillfern::ZoCodeInspections::Native
