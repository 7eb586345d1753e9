#include "results/qfix_text.h"

#include <cstdio>

namespace Quillfern::ZoCodeInspections::Native {

namespace {

std::string ReplText(const repl& replacement) {
  return "repl{" + FormatSpan(replacement.span) + "||" + FormatSpan(replacement.engineSpan) + " : " + replacement.text +
         "}";
}

void AddActionLines(std::vector<std::string>& lines, const action& fix) {
  lines.push_back("  action{" + fix.title + ":");
  for (const repl& replacement : fix.replacements) lines.push_back("    " + ReplText(replacement));
  lines.emplace_back(" -- new -- ");
  for (const repl& replacement : fix.newReplacements) lines.push_back("    " + ReplText(replacement));
  lines.emplace_back("  }");
}

}  // namespace

std::string FormatSpan(const ZoSpan& span) {
  char text[32];
  std::snprintf(text, sizeof text, "[%d,%d)", static_cast<int>(static_cast<int32_t>(span.start)),
                static_cast<int>(static_cast<int32_t>(span.start + span.length)));
  return text;
}

std::vector<std::string> QfixLines(const qfix& record) {
  std::vector<std::string> lines = {
      "qfix{",
      "  checkname: " + record.checkname,
      "  message: " + record.message,
      "  filename: " + record.filename,
      "  triggerspan: " + FormatSpan(record.triggerspan),
      "  actions: ",
  };
  for (const action& fix : record.actions) AddActionLines(lines, fix);
  lines.emplace_back("  }");
  return lines;
}

std::vector<std::string> ResultsText(const std::vector<qfix>& records) {
  std::vector<std::string> lines;
  for (const qfix& record : records) {
    std::vector<std::string> recordLines = QfixLines(record);
    lines.insert(lines.end(), recordLines.begin(), recordLines.end());
  }
  return lines;
}

}  // namespace Quillfern::ZoCodeInspections::Native
