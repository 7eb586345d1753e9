// What the result cache keeps of one file's inspection, and the key of the
// inputs fixed before the run: a stored outcome must print exactly what the
// run that made it printed, so every input that can change the output is in
// the key, or among the files the run read.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "options.h"
#include "report.h"
#include "tidy_config.h"

namespace zoci {

/// One file's outcome as stored: the sources it showed are read again on reuse.
struct StoredOutcome {
  InspectedFile file;
  std::set<std::string> misread;
  std::vector<std::string> sources;  ///< paths of the texts the outcome refers to
};

std::string OutcomeRecord(const StoredOutcome& outcome);

/// None when `record` is not one OutcomeRecord wrote.
std::optional<StoredOutcome> ParseOutcomeRecord(const std::string& record);

/// The inputs of one file's run that are known before it.
struct RunRecipe {
  std::string tool;           ///< ToolIdentity()
  std::string workingFolder;  ///< paths are shown relative to it
  std::string path;           ///< the file as named
  std::string mainDigest;     ///< of the file's text as given to the library
  const Options* options = nullptr;
  const InspectionSettings* settings = nullptr;  ///< the file's own, compile flags applied
  const RunConfig* config = nullptr;             ///< checks, options, warnings-as-errors, header filter
};

/// The hex key of a recipe. It also covers the .clang-tidy files in the
/// file's folder and above, which the engine reads.
std::string RecipeKey(const RunRecipe& recipe);

/// What identifies the program that makes results: the engine's version text,
/// zoci's own binaries (size and time), the compiler environment variables and
/// the GCC installations the engine takes system headers from.
std::string ToolIdentity(const std::string& engineVersion);

}  // namespace zoci
