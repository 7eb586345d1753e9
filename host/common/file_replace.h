// Replacing a file's content the way a careful editor saves: the file a
// symbolic link names is the one written, and it keeps its owner, group, mode,
// extended attributes and hard links. The new content is written and flushed
// to a temporary file beside it first, then, right after checking that the file
// still holds what was read, renamed over it. A file whose owner or attributes
// a new file cannot take (or that has other hard links) is rewritten in place
// instead, its old content put back if that write fails.
//
// What remains: a save by another program that lands between the final check
// and the rename (or the in-place write), a few system calls apart, is
// overwritten; there is no lock that editors honour to close that window.
#pragma once

#include <functional>
#include <string>

namespace zoci {

/// Writes `bytes` as the content of the file `path` names, unless that file no
/// longer holds `expected` (then nothing is written); false with `error`.
/// `beforeFinalCheck` runs just before the last look at the file (tests put a
/// concurrent save there).
bool ReplaceFileContent(const std::string& path, const std::string& bytes, const std::string& expected,
                        std::string& error, const std::function<void()>& beforeFinalCheck = {});

}  // namespace zoci
