// Reading what the two compared tools report: clang-tidy's diagnostic lines
// and zoci's SARIF log. Only the fields the comparison needs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace difftest {

/// One diagnostic of either tool. `offset` is the byte column (from 1) on
/// `line` in clang-tidy's output and counts UTF-16 code units in SARIF.
struct Reported {
  std::string file;
  std::string check;
  std::string message;
  std::string level;
  size_t offset = 0;
  size_t line = 0;
};

/// The diagnostics clang-tidy printed.
std::vector<Reported> ReadClangTidyOutput(const std::string& output);

/// The results of a SARIF log, with each file as an absolute path; files the
/// run could not inspect are added to `failures`, one line each.
std::vector<Reported> ReadSarif(const std::string& json, std::vector<std::string>& failures);

}  // namespace difftest
