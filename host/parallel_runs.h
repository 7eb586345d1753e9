// Runs the inspections of a zoci command, several at once with -j, with a
// progress bar on the error stream when it is a terminal.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "inspection.h"

namespace zoci {

/// Inspects every job with `jobs` threads; outcomes come back in job order.
std::vector<FileOutcome> InspectAll(const Inspector& inspector, const std::vector<FileJob>& fileJobs, unsigned jobs);

}  // namespace zoci
