// The fixes YAML and results text of the latest run made with detailed
// logging, kept for the folder dump. Runs of different parsers overlap, so
// access is locked.
#pragma once

#include <string>

namespace Quillfern::ZoCodeInspections::Native {

/// The latest detailed run's text; empty when there was none.
std::string LastYamlText();

/// Replaces the text (an empty text clears it).
void StoreLastYamlText(std::string text);

}  // namespace Quillfern::ZoCodeInspections::Native
