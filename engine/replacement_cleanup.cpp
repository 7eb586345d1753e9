#include "replacement_cleanup.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include <clang/Format/Format.h>
#include <clang/Tooling/Core/Replacement.h>
#include <llvm/Support/SourceMgr.h>
#include <llvm/Support/VirtualFileSystem.h>

namespace zoe {

namespace {

/// Header insertions and deletions carry this offset; the cleanup finds
/// their place.
constexpr uint32_t kHeaderOffset = std::numeric_limits<uint32_t>::max();

/// Lines of text a window keeps on each side of a fix.
constexpr size_t kContextLines = 8;
/// Further lines a window may take on each side to end at a statement's or block's end.
constexpr size_t kAlignLines = 64;
/// Bytes a window reaches at most beyond a fix on each side (a very long line is cut).
constexpr size_t kMaxReach = 2048;

void IgnoreStyleDiagnostic(const llvm::SMDiagnostic&, void*) {}

bool FitsText(const EngineReplacement& replacement, size_t textSize) {
  if (replacement.offset == kHeaderOffset) return replacement.length <= 1;
  return replacement.offset <= textSize && replacement.length <= textSize - replacement.offset;
}

bool IsHeaderChange(const EngineReplacement& replacement) { return replacement.offset == kHeaderOffset; }

bool IsStatementEnd(char c) { return c == ';' || c == '{' || c == '}'; }

/// Whether `line` is blank or ends a statement or a block (`;`, `{` or `}` last).
bool EndsStatement(std::string_view line) {
  const size_t last = line.find_last_not_of(" \t\r\n\f\v");
  return last == std::string_view::npos || IsStatementEnd(line[last]);
}

/// The part of the text that is cleaned up around a fix, [begin, end). The
/// whole text is cleaned when a window would not do (header changes, which
/// look at the includes at the top).
struct Window {
  size_t begin = 0;
  size_t end = 0;
};

/// The start of the line holding the byte before `at`, looking back no
/// further than `limit`.
size_t LineStart(std::string_view text, size_t at, size_t limit) {
  while (at > limit && text[at - 1] != '\n') --at;
  return at;
}

/// The end (after its line break) of the line holding `at`, looking no further than `limit`.
size_t LineEnd(std::string_view text, size_t at, size_t limit) {
  while (at < limit && text[at] != '\n') ++at;
  return at < limit ? at + 1 : at;
}

/// Where a window starting at `first` is cut inside a line: after the first
/// statement end at or beyond `from` (else at `from`).
size_t CutForward(std::string_view text, size_t from, size_t first) {
  for (size_t at = from; at < first; ++at) {
    if (IsStatementEnd(text[at])) return at + 1;
  }
  return from;
}

/// Where a window ending at `last` is cut inside a line: after the last
/// statement end before `to` (else at `to`).
size_t CutBackward(std::string_view text, size_t last, size_t to) {
  for (size_t at = to; at > last; --at) {
    if (IsStatementEnd(text[at - 1])) return at;
  }
  return to;
}

size_t WindowBegin(std::string_view text, size_t first) {
  const size_t limit = first > kMaxReach ? first - kMaxReach : 0;
  size_t begin = LineStart(text, first, limit);
  for (size_t lines = 0; begin > limit && lines < kContextLines + kAlignLines; ++lines) {
    const size_t previous = LineStart(text, begin - 1, limit);
    if (previous == limit && limit > 0 && text[limit - 1] != '\n') break;  // a line longer than the reach
    if (lines >= kContextLines && EndsStatement(text.substr(previous, begin - previous))) break;
    begin = previous;
  }
  const bool midLine = begin > 0 && text[begin - 1] != '\n';
  return midLine ? CutForward(text, begin, first) : begin;
}

size_t WindowEnd(std::string_view text, size_t last) {
  const size_t limit = std::min(text.size(), last + kMaxReach);
  size_t end = LineEnd(text, last, limit);
  for (size_t lines = 0; end < limit && lines < kContextLines + kAlignLines; ++lines) {
    const size_t next = LineEnd(text, end, limit);
    if (next == limit && limit < text.size() && text[limit - 1] != '\n') break;  // a line longer than the reach
    if (lines >= kContextLines && EndsStatement(text.substr(end, next - end))) {
      end = next;
      break;
    }
    end = next;
  }
  const bool midLine = end < text.size() && text[end - 1] != '\n';
  return midLine ? CutBackward(text, last, end) : end;
}

/// The window a fix is cleaned up in: a few lines around it, reaching to
/// lines that end a statement or a block so that the lines the fix touches
/// parse as they do in the whole text, and the cleanup's cost does not grow
/// with the file.
Window WindowOf(std::string_view text, const std::vector<EngineReplacement>& replacements) {
  if (replacements.empty() || std::any_of(replacements.begin(), replacements.end(), IsHeaderChange)) {
    return Window{0, text.size()};
  }
  size_t first = text.size(), last = 0;
  for (const EngineReplacement& replacement : replacements) {
    first = std::min<size_t>(first, replacement.offset);
    last = std::max<size_t>(last, size_t{replacement.offset} + replacement.length);
  }
  return Window{WindowBegin(text, first), WindowEnd(text, last)};
}

/// Adds `added` to `set` as the binary does when it applies fixes: a
/// replacement that cannot be added as it stands (an insertion where another
/// one is) goes in after what is there, when the set leaves its range whole.
bool AddAsTheBinaryDoes(clang::tooling::Replacements& set, const clang::tooling::Replacement& added) {
  llvm::Error conflict = set.add(added);
  if (!conflict) return true;
  llvm::consumeError(std::move(conflict));
  const unsigned begin = set.getShiftedCodePosition(added.getOffset());
  const unsigned end = set.getShiftedCodePosition(added.getOffset() + added.getLength());
  if (end - begin != added.getLength()) return false;
  set = set.merge(clang::tooling::Replacements(
      clang::tooling::Replacement(added.getFilePath(), begin, added.getLength(), added.getReplacementText())));
  return true;
}

std::optional<clang::tooling::Replacements> ToolingReplacements(const std::string& fileKey, size_t shift,
                                                                const std::vector<EngineReplacement>& replacements) {
  clang::tooling::Replacements result;
  for (const EngineReplacement& replacement : replacements) {
    const size_t offset = IsHeaderChange(replacement) ? replacement.offset : replacement.offset - shift;
    const clang::tooling::Replacement added(fileKey, static_cast<unsigned>(offset), replacement.length,
                                            replacement.text);
    if (!AddAsTheBinaryDoes(result, added)) return std::nullopt;
  }
  return result;
}

}  // namespace

std::optional<std::vector<EngineReplacement>> CleanUpReplacements(const std::string& fileKey, const std::string& text,
                                                                  const std::vector<EngineReplacement>& replacements) {
  for (const EngineReplacement& replacement : replacements) {
    if (!FitsText(replacement, text.size())) return std::nullopt;
  }
  const Window window = WindowOf(text, replacements);
  const llvm::StringRef code(text.data() + window.begin, window.end - window.begin);
  std::optional<clang::tooling::Replacements> given = ToolingReplacements(fileKey, window.begin, replacements);
  if (!given) return std::nullopt;
  auto disk = llvm::vfs::createPhysicalFileSystem();
  // No code for the style lookup: given code, it parses a header's whole
  // text to guess whether it is Objective-C, which made each fix in a header
  // cost tens of milliseconds. Headers are C or C++ here.
  llvm::Expected<clang::format::FormatStyle> style = clang::format::getStyle(
      "file", fileKey, "none", /*Code=*/"", disk.get(), /*AllowUnknownOptions=*/false, IgnoreStyleDiagnostic);
  if (!style) {
    llvm::consumeError(style.takeError());
    return std::nullopt;
  }
  llvm::Expected<clang::tooling::Replacements> cleaned = clang::format::cleanupAroundReplacements(code, *given, *style);
  if (!cleaned) {
    llvm::consumeError(cleaned.takeError());
    return std::nullopt;
  }
  std::vector<EngineReplacement> result;
  for (const clang::tooling::Replacement& replacement : *cleaned) {
    result.push_back(EngineReplacement{replacement.getReplacementText().str(), replacement.getLength(),
                                       replacement.getOffset() + static_cast<uint32_t>(window.begin)});
  }
  return result;
}

}  // namespace zoe
