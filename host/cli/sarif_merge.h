// `zoci merge-sarif`: the SARIF logs of several runs (the shards of one CI
// matrix) as one log with one run, ready for a code-scanning upload: rules and
// artifacts each listed once, the results' indices into them renumbered.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zoci {

/// The merged log of `namedLogs` (name and SARIF 2.1.0 text of each, in
/// order); none with `error` naming the input that is not such a log.
std::optional<std::string> MergeSarif(const std::vector<std::pair<std::string, std::string>>& namedLogs,
                                      std::string& error);

}  // namespace zoci
