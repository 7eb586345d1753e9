// Runs the zoci program for the end-to-end tests and captures what it says.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zotest {

struct ZociRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

/// Runs zoci with `arguments` in `folder`, `input` on standard input.
ZociRun RunZoci(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                const std::string& input = {});

/// Copies the samples into `folder` (with their .clang-tidy).
void CopySamples(const std::filesystem::path& folder);

}  // namespace zotest
