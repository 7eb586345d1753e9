// Reading what the two compared tools report: clang-tidy's exported fixes
// (YAML) and zoci's SARIF log. Only the fields the comparison needs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace difftest {

/// One diagnostic of either tool. `offset` counts UTF-8 bytes in clang-tidy's
/// export and UTF-16 code units in SARIF.
struct Reported {
  std::string file;
  std::string check;
  std::string message;
  std::string level;
  size_t offset = 0;
};

/// The diagnostics of a clang-tidy `--export-fixes` file (notes left out).
std::vector<Reported> ReadExportedFixes(const std::string& yaml);

/// The results of a SARIF log, with each file as an absolute path; files the
/// run could not inspect are added to `failures`, one line each.
std::vector<Reported> ReadSarif(const std::string& json, std::vector<std::string>& failures);

}  // namespace difftest
