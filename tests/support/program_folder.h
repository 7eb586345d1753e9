// Where the running test program is, found without the platform layer (whose
// module lookup is under test).
#pragma once

#include <filesystem>

namespace zotest {

/// Folder of the running program's executable.
std::filesystem::path ProgramFolder();

}  // namespace zotest
