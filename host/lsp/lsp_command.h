// `zoci lsp`: the language server on standard input and output.
#pragma once

#include "options.h"

namespace zoci {

/// Serves one client until it says exit or its input ends; returns the exit code.
int RunLsp(const Options& options);

}  // namespace zoci
