// The claim store: every fix of the latest run of each file, kept under a
// process-wide token so that the host can ask for its final replacements
// later, when the file may have been inspected again. A new run of a file
// withdraws the claims of its previous run.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "contract/engine_interface.h"
#include "interop/run_result.h"

namespace Quillfern::ZoCodeInspections::Native {

/// What is kept of one claimed fix.
struct ClaimedFix {
  std::shared_ptr<SpanMapFunction> spanMap;  ///< engine ranges to host spans
  std::vector<EngineReplacement> replacements;
  std::shared_ptr<const std::string> utf8Text;  ///< the text the engine saw
  std::string fileKey;
};

/// Claims every action of the result whose file's text is in the source
/// cache, writing the new tokens (from 1, never reused) into the actions,
/// after withdrawing the earlier claims of every file the result names.
void ClaimReplacements(RunResult& result);

/// A copy of the claim behind a token; none when it was never issued or has
/// been withdrawn.
std::optional<ClaimedFix> FindClaim(uint32_t token);

/// The tokens held per file as report text, and the bytes the store holds
/// (estimated).
std::pair<size_t, std::string> ClaimReport();

}  // namespace Quillfern::ZoCodeInspections::Native
