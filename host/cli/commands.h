// The zoci commands: inspect (optionally fixing), merge-sarif and version.
#pragma once

#include <optional>
#include <string>

#include "library_setup.h"
#include "options.h"

namespace zoci {

/// Exit codes.
inline constexpr int kExitInspected = 0;
/// A compiler error, or a diagnostic matched by --warnings-as-errors.
inline constexpr int kExitErrors = 1;
inline constexpr int kExitFailed = 2;

/// `zoci inspect` and `zoci fix`; returns the exit code.
int RunInspect(const Options& options);

/// `zoci merge-sarif`: the named SARIF logs as one, on standard output.
int RunMergeSarif(const Options& options);

/// `zoci --version`; returns the exit code.
int RunVersion();

}  // namespace zoci
