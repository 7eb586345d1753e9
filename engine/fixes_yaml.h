// Reads the exported fixes YAML of a run (clang-tidy's own format, through
// clang's YAML traits) into the interface's FixesFile.
#pragma once

#include <optional>
#include <string>

#include "contract/engine_interface.h"

namespace zoe {

using namespace Quillfern::ZoCodeInspections::Native;

/// The parsed fixes; absent when the text is not such a YAML document. Parse
/// errors are never printed. (clang's reader drops a replacement that
/// overlaps an earlier one of the same fix and says so on the error stream;
/// clang-tidy never writes such a fix.)
std::optional<FixesFile> ReadFixesYaml(const std::string& yaml);

}  // namespace zoe
