// The claim store: every fix of the latest run of each file, kept under a
// token so that the host can ask for its final replacements
// later, when the file may have been inspected again. A new run of a file
// withdraws the claims of its previous run.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "buffers/source_cache.h"
#include "contract/engine_interface.h"
#include "interop/run_result.h"
#include "results/diagnostic_conversion.h"

namespace Quillfern::ZoCodeInspections::Native {

/// What is kept of one claimed fix.
struct ClaimedFix {
  std::shared_ptr<SpanMapFunction> spanMap;  ///< engine ranges to host spans
  std::vector<EngineReplacement> replacements;
  std::shared_ptr<const std::string> utf8Text;  ///< the text the engine saw
  std::string fileKey;
  bool changesOtherFiles = false;  ///< some replacements belong to other files than `fileKey`'s
};

/// The claims of a service: every fix of the latest run of each file under
/// a token (from 1, never reused). Safe to use from several threads.
class ClaimStore {
 public:
  /// Claims every action of the result whose file's text is in the source
  /// cache (as `files` sees it), writing the new tokens into the actions,
  /// after withdrawing the earlier claims of every file the result names.
  /// The records named in `fixesInOtherFiles` are claimed as changing other files.
  void ClaimReplacements(RunResult& result, CacheView& files, const std::set<RecordKey>& fixesInOtherFiles = {});

  /// A copy of the claim behind a token; none when it was never issued or
  /// has been withdrawn.
  std::optional<ClaimedFix> Find(uint32_t token) const;

  /// Whether the claim behind a token changes other files too; false when
  /// there is no such claim.
  bool ChangesOtherFiles(uint32_t token) const;

  /// The tokens held per file as report text, and the bytes the store holds
  /// (estimated).
  std::pair<size_t, std::string> Report() const;

 private:
  void Withdraw(const std::string& key);

  mutable std::mutex mutex_;
  uint32_t counter_ = 0;
  std::unordered_map<uint32_t, ClaimedFix> claimsByToken_;
  /// Tokens per file key, in the order of claiming; a key stays when its
  /// file's claims are withdrawn.
  std::unordered_map<std::string, std::vector<int32_t>> tokensByFile_;
};

}  // namespace Quillfern::ZoCodeInspections::Native
