// The closing summary of a zoci run over many files (--summary): how many files
// were inspected and failed, the totals per check, and the failed files, as a
// CI log shows them.
#pragma once

#include <string>

#include "report.h"

namespace zoci {

/// The summary's text, one "zoci: "-prefixed heading and indented lines.
std::string RunSummary(const Report& report);

}  // namespace zoci
