// One clang-tidy run over the standalone arguments the library sends, in
// process: the arguments are checked, the options assembled, the source
// compiled through a ToolInvocation over the run's own file system, and the
// outputs written as the clang-tidy binary writes them (see run_outputs.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "contract/engine_interface.h"

namespace zoe {

using namespace Quillfern::ZoCodeInspections::Native;

/// Runs clang-tidy; answers the binary's exit code (0, or 1 for refused
/// arguments, configuration errors, compiler errors and warnings promoted to
/// errors). `mainFileFolder`, when given, is the compiler's working folder.
int32_t RunTidy(int32_t argc, const char* const* argv, const FileProviderCallback* provider,
                const std::optional<std::string>& mainFileFolder);

}  // namespace zoe
