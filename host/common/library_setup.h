// Setting up what every zoci command inspects with: the library, initialised
// as an IDE host does, and the project's files (--config-file, -p).
#pragma once

#include <optional>
#include <string>

#include "compile_database.h"
#include "options.h"
#include "tidy_config.h"

namespace zoci {

/// The library's Initialize; the version text, or none with `error` saying why.
std::optional<std::string> InitializeLibrary(const Options& options, std::string& error);

/// Reads --config-file and -p when given; false with `error` when one cannot be read.
bool LoadProjectFiles(const Options& options, std::optional<TidyConfig>& config,
                      std::optional<CompileDatabase>& database, std::string& error);

}  // namespace zoci
