// The text form of quick-fix records, written into a run's log when detailed
// logging is on.
#pragma once

#include <string>
#include <vector>

#include "interop/qfix.h"

namespace Quillfern::ZoCodeInspections::Native {

/// "[start,end)".
std::string FormatSpan(const ZoSpan& span);

/// The lines (without line breaks) describing one record.
std::vector<std::string> QfixLines(const qfix& record);

/// The lines of every record, in order.
std::vector<std::string> ResultsText(const std::vector<qfix>& records);

}  // namespace Quillfern::ZoCodeInspections::Native
