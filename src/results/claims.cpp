#include "results/claims.h"

#include <filesystem>

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// The UTF-8 byte order mark: the only mark a cached text leaves out.
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

/// The text the engine read of a file, if the cache has it. The engine's
/// offsets count a byte order mark that the cached text leaves out, so the
/// mark is put back in front.
std::shared_ptr<const std::string> EngineText(CacheView& files, const std::string& fileName) {
  const std::string path = std::filesystem::path(fileName).lexically_normal().string();
  const std::shared_ptr<clfile> record = files.GetFile(fileName, path, FileWanted::anyLoadable);
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

}  // namespace

void ClaimStore::Withdraw(const std::string& key) {
  std::vector<int32_t>& tokens = tokensByFile_[key];
  for (const int32_t token : tokens) claimsByToken_.erase(static_cast<uint32_t>(token));
  tokens.clear();
}

void ClaimStore::ClaimReplacements(RunResult& result, CacheView& files, const std::set<RecordKey>& fixesInOtherFiles) {
  // The texts come from the source cache first: the claim mutex is never
  // held together with the cache's.
  std::unordered_map<std::string, std::shared_ptr<const std::string>> texts;
  for (const qfix& record : result.qfixes) {
    if (!texts.contains(record.filename)) texts[record.filename] = EngineText(files, record.filename);
  }

  std::lock_guard lock(mutex_);
  for (const qfix& record : result.qfixes) Withdraw(FileKeyOf(record.filename));
  for (qfix& record : result.qfixes) {
    const std::shared_ptr<const std::string>& text = texts[record.filename];
    if (!text) continue;
    const std::string key = FileKeyOf(record.filename);
    const bool otherFiles = fixesInOtherFiles.contains(KeyOf(record));
    for (action& fix : record.actions) {
      const uint32_t token = ++counter_;
      claimsByToken_[token] = ClaimedFix{record.spanMap, EngineReplacementsOf(fix), text, key, otherFiles};
      tokensByFile_[key].push_back(static_cast<int32_t>(token));
      fix.claimToken = static_cast<int32_t>(token);
    }
  }
}

std::optional<ClaimedFix> ClaimStore::Find(uint32_t token) const {
  std::lock_guard lock(mutex_);
  const auto found = claimsByToken_.find(token);
  if (found == claimsByToken_.end()) return std::nullopt;
  return found->second;
}

bool ClaimStore::ChangesOtherFiles(uint32_t token) const {
  std::lock_guard lock(mutex_);
  const auto found = claimsByToken_.find(token);
  return found != claimsByToken_.end() && found->second.changesOtherFiles;
}

std::pair<size_t, std::string> ClaimStore::Report() const {
  std::lock_guard lock(mutex_);
  std::string text = "\nClaimReplacements tokens:\n";
  size_t bytes = 0;
  for (const auto& [key, tokens] : tokensByFile_) {
    text += " * " + key + ": ";
    for (size_t i = 0; i < tokens.size(); ++i) text += (i > 0 ? ", " : "") + std::to_string(tokens[i]);
    text += tokens.empty() ? "none\n" : "\n";
    bytes += key.capacity() + 4 * tokens.size() + 36;
  }
  for (const auto& [token, claim] : claimsByToken_) {
    bytes += claim.fileKey.capacity() + (claim.utf8Text ? claim.utf8Text->capacity() : 0) +
             32 * claim.replacements.capacity() + 56;
    for (const EngineReplacement& replacement : claim.replacements) bytes += replacement.text.capacity();
  }
  return {bytes, text};
}

}  // namespace Quillfern::ZoCodeInspections::Native
