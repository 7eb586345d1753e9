// Runs the inspections of a zoci command, several at once with -j, with a
// progress line on the error stream when it is a terminal.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "inspection.h"

namespace zoci {

/// Inspects every job with `jobs` threads; outcomes come back in job order
/// whatever finishes first. The progress line shows when `progressWanted`.
std::vector<FileOutcome> InspectAll(const Inspector& inspector, const std::vector<FileJob>& fileJobs, unsigned jobs,
                                    bool progressWanted);

}  // namespace zoci
