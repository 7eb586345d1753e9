// Reading whole files for zoci.
#pragma once

#include <filesystem>
#include <string>

namespace zoci {

/// Reads a whole file; false with a message when it cannot be read.
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::string& error);

}  // namespace zoci
