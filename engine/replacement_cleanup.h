// The final form of a fix's replacements: clang-format's cleanup around them
// (stray commas, emptied initialiser lists and namespaces, header insertions
// and deletions put into place) with the style found for the file: a
// .clang-format (or _clang-format) next to it or in a folder above it, else
// none. The answer is in the coordinates of the given text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "contract/engine_interface.h"

namespace zoe {

using namespace Quillfern::ZoCodeInspections::Native;

/// The cleaned-up replacements for `text`, the content of the file
/// `fileKey`; absent when the replacements overlap, fall outside the text,
/// the style file does not parse, or the cleanup fails. Insertions at one
/// place are all made, each after those given before it.
std::optional<std::vector<EngineReplacement>> CleanUpReplacements(const std::string& fileKey, const std::string& text,
                                                                  const std::vector<EngineReplacement>& replacements);

}  // namespace zoe
