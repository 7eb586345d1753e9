// --log-dir: each run's texts written next to each other, named after the
// file and the run's parse number.
#pragma once

#include <string>

#include "interop/run_result.h"
#include "options.h"

namespace zoci {

/// Writes the run's log, parameters and error texts (and with --detailed its
/// YAML) into --log-dir; does nothing without it. Failures go to stderr.
void WriteRunLogs(const Options& options, const std::string& path,
                  const Quillfern::ZoCodeInspections::Native::RunResult& result);

}  // namespace zoci
