// Sample files and small helpers shared by the end-to-end tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "engine_driver.h"

namespace zotest {

/// Full path of a file in the samples folder.
std::string SamplePath(const std::string& name);

/// A request for `file` under the library's command line (C++ or C by its
/// extension), its folder as the main file's folder.
EngineRequest FileRequest(const std::filesystem::path& file, const std::string& checks);

/// A request for a sample under the library's command line.
EngineRequest SampleRequest(const std::string& name, const std::string& checks);

/// Number of lines of `text` that contain `fragment`.
int CountLines(const std::string& text, const std::string& fragment);

}  // namespace zotest
