#include "preprocessor_watch.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace zoe {

namespace {

/// Configurations are few; a host that makes up endless ones starts over.
constexpr size_t kMostSignatures = 1024;

struct Memo {
  std::mutex mutex;
  std::unordered_map<std::string, bool> watches;
};

/// Checks whose results differ when they are shown the recorded events, each
/// with the reason.
constexpr std::string_view kNeedTheirOwnPreprocessing[] = {
    // Reads the preamble's comments (its include pragmas) through a comment
    // handler, which the recorded events do not reach.
    "misc-include-cleaner",
};

Memo& TheMemo() {
  static Memo memo;
  return memo;
}

}  // namespace

std::optional<bool> ChecksWatchPreprocessor(const std::string& signature) {
  Memo& memo = TheMemo();
  std::lock_guard<std::mutex> lock(memo.mutex);
  auto found = memo.watches.find(signature);
  if (found == memo.watches.end()) return std::nullopt;
  return found->second;
}

void LearnChecksWatchPreprocessor(const std::string& signature, bool watches) {
  Memo& memo = TheMemo();
  std::lock_guard<std::mutex> lock(memo.mutex);
  if (memo.watches.size() >= kMostSignatures) memo.watches.clear();
  memo.watches[signature] = watches;
}

bool ReplayServesChecks(const std::vector<std::string>& checkNames) {
  return std::none_of(checkNames.begin(), checkNames.end(), [](const std::string& check) {
    return std::find(std::begin(kNeedTheirOwnPreprocessing), std::end(kNeedTheirOwnPreprocessing), check) !=
           std::end(kNeedTheirOwnPreprocessing);
  });
}

}  // namespace zoe
