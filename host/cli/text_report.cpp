// Clang-style diagnostics (see text_report.h). Positions are 1-based lines and
// UTF-16 columns of the decoded host text; the caret line is laid out per
// character so it sits under the right character of the printed line.
#include "text_report.h"

#include <algorithm>
#include <string>

#include "source_lines.h"

namespace zoci {
namespace {

constexpr const char* kBold = "\033[1m";
constexpr const char* kReset = "\033[0m";
constexpr const char* kRed = "\033[1;31m";
constexpr const char* kMagenta = "\033[1;35m";
constexpr const char* kGreen = "\033[1;32m";

const char* Paint(const TextStyle& style, const char* code) { return style.colour ? code : ""; }

bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

/// Lines longer than this many UTF-16 units are shown as an excerpt around
/// the caret, so that output does not grow with the line for each diagnostic.
constexpr uint32_t kLongLine = 1024;
/// How many units of a long line are shown on each side of the caret.
constexpr uint32_t kExcerptReach = 128;

/// The shown part of one source line: [begin, end) of the line, cut marked by "...".
struct Excerpt {
  std::u16string_view text;
  uint32_t begin = 0;  ///< line-relative start of `text`
  bool cutBefore = false;
  bool cutAfter = false;
};

/// The whole line, or for a long one the units within reach of `caret`
/// (never half a surrogate pair).
Excerpt ExcerptOf(std::u16string_view line, uint32_t caret) {
  if (line.size() <= kLongLine) return Excerpt{line, 0, false, false};
  uint32_t begin = caret > kExcerptReach ? caret - kExcerptReach : 0;
  uint32_t end = std::min<uint32_t>(static_cast<uint32_t>(line.size()), caret + kExcerptReach);
  if (begin > 0 && begin < line.size() && IsLowSurrogate(line[begin])) --begin;
  if (end < line.size() && end > begin && IsLowSurrogate(line[end])) ++end;
  begin = std::min(begin, end);
  return Excerpt{line.substr(begin, end - begin), begin, begin > 0, end < line.size()};
}

/// The marks under a line: '^' at `caret`, '~' over `marked` units; one mark per
/// character (a surrogate pair is one), tabs kept so columns line up.
std::string CaretLine(std::u16string_view line, uint32_t caret, const std::vector<bool>& marked) {
  std::string marks;
  for (uint32_t i = 0; i < line.size(); ++i) {
    if (IsLowSurrogate(line[i]) && i > 0) continue;
    if (i == caret) marks += '^';
    else if (marked[i]) marks += '~';
    else marks += line[i] == u'\t' ? '\t' : ' ';
  }
  if (caret >= line.size()) marks += std::string(caret - std::min<size_t>(caret, line.size()), ' ') + "^";
  marks.erase(marks.find_last_not_of(" \t") + 1);
  return marks;
}

/// Marks the units of [begin, end) (excerpt-relative) that fall inside the excerpt.
void Mark(std::vector<bool>& marked, int64_t begin, int64_t end) {
  for (int64_t i = std::max<int64_t>(begin, 0); i < std::min<int64_t>(end, static_cast<int64_t>(marked.size())); ++i) {
    marked[static_cast<size_t>(i)] = true;
  }
}

void WriteSnippet(const Diagnostic& diagnostic, const LineIndex& lines, Position at, const TextStyle& style,
                  std::ostream& out) {
  const Excerpt excerpt = ExcerptOf(lines.LineText(at.line), at.column - 1);
  const int64_t start = int64_t{lines.LineStart(at.line)} + excerpt.begin;
  std::vector<bool> marked(excerpt.text.size(), false);
  Mark(marked, diagnostic.offset - start, diagnostic.offset + diagnostic.length - start);
  for (const TextEdit& edit : diagnostic.fix) Mark(marked, edit.offset - start, edit.offset + edit.length - start);
  out << (excerpt.cutBefore ? "..." : "") << ToUtf8(excerpt.text) << (excerpt.cutAfter ? "..." : "") << "\n"
      << Paint(style, kGreen) << (excerpt.cutBefore ? "   " : "")
      << CaretLine(excerpt.text, at.column - 1 - excerpt.begin, marked) << Paint(style, kReset) << "\n";
}

void WriteDiagnostic(const Diagnostic& diagnostic, const SourceLines& sources, const TextStyle& style,
                     std::ostream& out) {
  const LineIndex* lines = sources.Find(diagnostic.file);
  const Position at = sources.Positions(diagnostic.file, diagnostic.offset, 0).start;
  out << Paint(style, kBold) << diagnostic.file << ":" << at.line << ":" << at.column << ": "
      << Paint(style, diagnostic.error ? kRed : kMagenta) << (diagnostic.error ? "error: " : "warning: ")
      << Paint(style, kReset) << Paint(style, kBold) << diagnostic.message << " [" << diagnostic.check;
  for (const std::string& alias : diagnostic.aliases) out << "," << alias;
  out << (diagnostic.promoted ? ",-warnings-as-errors" : "") << "]" << Paint(style, kReset) << "\n";
  if (lines) WriteSnippet(diagnostic, *lines, at, style, out);
}

std::string Plural(size_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

void WriteTextReport(const Report& report, const TextStyle& style, std::ostream& out) {
  size_t warnings = 0, errors = 0, failed = 0;
  const SourceLines sources(report);
  for (const InspectedFile& file : report.files) {
    failed += file.failed;
    for (const Diagnostic& diagnostic : file.diagnostics) {
      WriteDiagnostic(diagnostic, sources, style, out);
      ++(diagnostic.error ? errors : warnings);
    }
  }
  out << Plural(warnings, "warning") << " and " << Plural(errors, "error") << " in "
      << Plural(report.files.size(), "file");
  if (failed > 0) out << " (" << failed << " could not be inspected)";
  out << "\n";
}

}  // namespace zoci
