// Which check configurations watch the preprocessor. A check that registers
// preprocessor callbacks would miss the includes and macros of a precompiled
// preamble, since loading one skips them: such checks are shown the events
// recorded while the preamble was compiled, and the few whose results still
// differ then are compiled without a preamble. Whether a configuration
// registers callbacks is found once (by creating its checks for an empty file)
// and kept for the process.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zoe {

/// What earlier runs of the configuration `signature` (its checks, their
/// options and the compiler command line) showed; none before it was found.
std::optional<bool> ChecksWatchPreprocessor(const std::string& signature);

/// Records what a run of `signature` showed.
void LearnChecksWatchPreprocessor(const std::string& signature, bool watches);

/// True when every one of `checkNames` that watches the preprocessor gives
/// the same results from the events of user code (see user_code_events.h),
/// as the preamble's recorded events are.
bool ReplayServesChecks(const std::vector<std::string>& checkNames);

}  // namespace zoe
