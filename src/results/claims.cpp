#include "results/claims.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <unordered_map>

#include "buffers/source_cache.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// The UTF-8 byte order mark: the only mark a cached text leaves out.
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

struct ClaimStore {
  std::mutex claimMutex;
  std::atomic<uint32_t> claimCounter{0};
  std::unordered_map<uint32_t, ClaimedFix> claimsByToken;
  /// Tokens per file key, in the order of claiming; a key stays when its
  /// file's claims are withdrawn.
  std::unordered_map<std::string, std::vector<int32_t>> tokensByFile;
};

ClaimStore& claimStore() {
  static ClaimStore store;
  return store;
}

/// The text the engine read of a file, if the cache has it. The engine's
/// offsets count a byte order mark that the cached text leaves out, so the
/// mark is put back in front.
std::shared_ptr<const std::string> EngineText(const std::string& fileName) {
  const std::string path = std::filesystem::path(fileName).lexically_normal().string();
  const std::shared_ptr<clfile> record = GetFile(fileName, path, true);
  if (!record) return nullptr;
  std::lock_guard lock(record->mutex);
  if (record->utf8Text.empty()) return nullptr;
  std::shared_ptr<const std::string> text = record->utf8Text.get();
  if (!text || text->empty()) return nullptr;
  const uint32_t bom = record->clangSideBom.value_or(0);
  if (bom == 0) return text;
  return std::make_shared<const std::string>(std::string(kUtf8Bom, bom) + *text);
}

std::vector<EngineReplacement> EngineReplacementsOf(const action& fix) {
  std::vector<EngineReplacement> replacements;
  replacements.reserve(fix.replacements.size());
  for (const repl& replacement : fix.replacements) {
    replacements.push_back({replacement.text, replacement.engineSpan.length, replacement.engineSpan.start});
  }
  return replacements;
}

void Withdraw(ClaimStore& store, const std::string& key) {
  std::vector<int32_t>& tokens = store.tokensByFile[key];
  for (const int32_t token : tokens) store.claimsByToken.erase(static_cast<uint32_t>(token));
  tokens.clear();
}

}  // namespace

void ClaimReplacements(RunResult& result) {
  // The texts come from the source cache first: the claim mutex is never
  // held together with the cache's.
  std::unordered_map<std::string, std::shared_ptr<const std::string>> texts;
  for (const qfix& record : result.qfixes) {
    if (!texts.contains(record.filename)) texts[record.filename] = EngineText(record.filename);
  }

  ClaimStore& store = claimStore();
  std::lock_guard lock(store.claimMutex);
  for (const qfix& record : result.qfixes) Withdraw(store, FileKeyOf(record.filename));
  for (qfix& record : result.qfixes) {
    const std::shared_ptr<const std::string>& text = texts[record.filename];
    if (!text) continue;
    const std::string key = FileKeyOf(record.filename);
    for (action& fix : record.actions) {
      const uint32_t token = ++store.claimCounter;
      store.claimsByToken[token] = ClaimedFix{record.spanMap, EngineReplacementsOf(fix), text, key};
      store.tokensByFile[key].push_back(static_cast<int32_t>(token));
      fix.claimToken = static_cast<int32_t>(token);
    }
  }
}

std::optional<ClaimedFix> FindClaim(uint32_t token) {
  ClaimStore& store = claimStore();
  std::lock_guard lock(store.claimMutex);
  const auto found = store.claimsByToken.find(token);
  if (found == store.claimsByToken.end()) return std::nullopt;
  return found->second;
}

std::pair<size_t, std::string> ClaimReport() {
  ClaimStore& store = claimStore();
  std::lock_guard lock(store.claimMutex);
  std::string text = "\nClaimReplacements tokens:\n";
  size_t bytes = 0;
  for (const auto& [key, tokens] : store.tokensByFile) {
    text += " * " + key + ": ";
    for (size_t i = 0; i < tokens.size(); ++i) text += (i > 0 ? ", " : "") + std::to_string(tokens[i]);
    text += tokens.empty() ? "none\n" : "\n";
    bytes += key.capacity() + 4 * tokens.size() + 36;
  }
  for (const auto& [token, claim] : store.claimsByToken) {
    bytes += claim.fileKey.capacity() + (claim.utf8Text ? claim.utf8Text->capacity() : 0) +
             32 * claim.replacements.capacity() + 56;
    for (const EngineReplacement& replacement : claim.replacements) bytes += replacement.text.capacity();
  }
  return {bytes, text};
}

}  // namespace Quillfern::ZoCodeInspections::Native
