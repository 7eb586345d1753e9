// The clang-style text output: "file:line:col: warning: message [check]", the
// source line and a caret with tildes under the span, then a summary.
#pragma once

#include <ostream>

#include "report.h"

namespace zoci {

struct TextStyle {
  bool colour = false;
};

/// Writes every diagnostic of `report` and the summary line.
void WriteTextReport(const Report& report, const TextStyle& style, std::ostream& out);

}  // namespace zoci
