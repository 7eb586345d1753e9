// Where the running test program and the test engine library are, found
// without the platform layer (whose module lookup is under test).
#pragma once

#include <filesystem>
#include <string>

namespace zotest {

/// Folder of the running program's executable.
std::filesystem::path ProgramFolder();

/// Folder of the scripted engine library (beside the programs' folder), with
/// a trailing separator.
std::string TestEngineFolder();

}  // namespace zotest
