#include "preprocessor_watch.h"

#include <cstddef>
#include <mutex>
#include <unordered_map>

namespace zoe {

namespace {

/// Configurations are few; a host that makes up endless ones starts over.
constexpr size_t kMostSignatures = 1024;

struct Memo {
  std::mutex mutex;
  std::unordered_map<std::string, bool> watches;
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

}  // namespace zoe
