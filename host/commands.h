// The zoci commands: inspect (optionally fixing), lsp and version.
#pragma once

#include <optional>
#include <string>

#include "compile_database.h"
#include "options.h"
#include "tidy_config.h"

namespace zoci {

/// Exit codes.
inline constexpr int kExitInspected = 0;
/// A compiler error, or a diagnostic matched by --warnings-as-errors.
inline constexpr int kExitErrors = 1;
inline constexpr int kExitFailed = 2;

/// `zoci inspect` and `zoci fix`; returns the exit code.
int RunInspect(const Options& options);

/// `zoci lsp`: a language server on standard input and output; returns the exit code.
int RunLsp(const Options& options);

/// The library's Initialize; the version text, or none with `error` saying why.
std::optional<std::string> InitializeLibrary(const Options& options, std::string& error);

/// Reads --config-file and -p when given; false with `error` when one cannot be read.
bool LoadProjectFiles(const Options& options, std::optional<TidyConfig>& config,
                      std::optional<CompileDatabase>& database, std::string& error);

/// `zoci --version`; returns the exit code.
int RunVersion();

}  // namespace zoci
