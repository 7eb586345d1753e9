#include "preamble_store.h"

#include <algorithm>
#include <cstdlib>

#include <llvm/ADT/StringRef.h>

namespace zoe {

namespace {

constexpr size_t kDefaultCapacity = 8;
/// More than an editor's open files ever need; a preamble of the standard
/// headers holds tens of megabytes.
constexpr size_t kLargestCapacity = 256;

}  // namespace

size_t PreambleCapacityFromEnvironment(const char* value) {
  if (value == nullptr) return kDefaultCapacity;
  unsigned long long capacity = 0;
  if (llvm::StringRef(value).trim().getAsInteger(10, capacity)) return kDefaultCapacity;
  return static_cast<size_t>(std::min<unsigned long long>(capacity, kLargestCapacity));
}

PreambleStore& PreambleStore::Shared() {
  static PreambleStore store(PreambleCapacityFromEnvironment(std::getenv("ZOCI_PREAMBLES")));
  return store;
}

std::shared_ptr<const StoredPreamble> PreambleStore::Find(const std::string& mainFile) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.first == mainFile; });
  if (found == entries_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, found);
  return entries_.front().second;
}

void PreambleStore::Keep(const std::string& mainFile, std::shared_ptr<const StoredPreamble> preamble) {
  std::shared_ptr<const StoredPreamble> replaced;  // released after the lock
  std::list<Entry> dropped;
  std::lock_guard<std::mutex> lock(mutex_);
  if (capacity_ == 0) return;
  auto found =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.first == mainFile; });
  if (found != entries_.end()) {
    replaced = std::move(found->second);
    entries_.erase(found);
  }
  entries_.emplace_front(mainFile, std::move(preamble));
  while (entries_.size() > capacity_) dropped.splice(dropped.begin(), entries_, std::prev(entries_.end()));
}

void PreambleStore::Forget(const std::string& mainFile) {
  std::list<Entry> dropped;
  std::lock_guard<std::mutex> lock(mutex_);
  auto found =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.first == mainFile; });
  if (found != entries_.end()) dropped.splice(dropped.begin(), entries_, found);
}

PreambleStoreUse PreambleStore::Use() const {
  std::lock_guard<std::mutex> lock(mutex_);
  PreambleStoreUse use;
  for (const Entry& entry : entries_) {
    if (!entry.second->preamble) continue;
    ++use.preambles;
    use.bytes += entry.second->preamble->getSize();
  }
  return use;
}

}  // namespace zoe
