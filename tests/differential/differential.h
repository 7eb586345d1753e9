// The differential comparison: each source is written in the byte forms it
// is to be tested in, inspected and fixed by zoci, and compared with what
// clang-tidy-19 reports for and makes of its UTF-8 form: the same diagnostics
// over the same characters, and fixed files that decode to the same text.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "text_forms.h"

namespace difftest {

/// One source and the forms zoci gets it in.
struct Case {
  std::string name;  ///< file stem, unique among the cases
  std::string utf8;  ///< the text, UTF-8 without BOM
  std::vector<Form> forms;
};

/// What both tools are given.
struct Setup {
  std::string zoci;
  std::string clangTidy;
  std::string checks;
  std::vector<std::string> includeFolders;
  unsigned jobs = 2;
};

/// What a comparison found.
struct Outcome {
  std::vector<std::string> disagreements;  ///< one line each; none when all agree
  std::map<std::string, size_t> referenceDiagnostics;  ///< clang-tidy's count per case name
  size_t formsCompared = 0;
};

/// Runs both tools over all cases in a few batched invocations below
/// `folder` (listing the disagreements in its disagreements.txt). A form a
/// case's text cannot take is left out.
Outcome CompareWithClangTidy(const std::vector<Case>& cases, const Setup& setup, const std::filesystem::path& folder);

}  // namespace difftest
