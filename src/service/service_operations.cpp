// The service operations between and after inspections: cache clearing,
// mappers for the host, final replacements of claimed fixes, and the dump.
#include <exception>
#include <optional>
#include <vector>

#include "buffers/encodings.h"
#include "dumps/folder_dump.h"
#include "mapping/mapper_factories.h"
#include "platform/platform.h"
#include "results/claim_groups.h"
#include "service/service.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// The host's replacements for a claimed fix: finalised by the engine, then
/// mapped to UTF-16. Empty when the engine declines.
FixReplacements FinalisedReplacements(IZOClangTidy& engine, const ClaimedFix& claim) {
  const auto finalised = engine.FinaliseReplacements(claim.fileKey, *claim.utf8Text, claim.replacements);
  if (!finalised) return {};
  FixReplacements result;
  for (const EngineReplacement& replacement : *finalised) {
    const ZoSpan span = (*claim.spanMap)(replacement.offset, replacement.length).second;
    result.replacements.push_back(repl{replacement.text, span, ZoSpan{0, 0}});
  }
  result.fileKey = claim.fileKey;
  return result;
}

}  // namespace

void ZoCodeInspectionsInterop2::ClearCaches() { state_.runs.cache.Clear(); }

void ZoCodeInspectionsInterop2::ReleaseCaches() { state_.runs.cache.Clear(); }

std::shared_ptr<IUtfIndexMapper> ZoCodeInspectionsInterop2::GetFileMapper(const char16_t* path, uint32_t count) {
  try {
    const std::string name = Utf16ToUtf8(path, count);
    return CacheView(state_.runs.cache).GetMapper(name, name);
  } catch (const std::exception&) {
    return nullptr;  // a path that cannot be converted or a file that cannot be loaded
  }
}

FixReplacements ZoCodeInspectionsInterop2::GetFixReplacements(uint32_t token) {
  try {
    const std::optional<ClaimedFix> claim = state_.runs.claims.Find(token);
    if (!claim || !claim->utf8Text || claim->utf8Text->empty() || !claim->spanMap) return {};
    return FinalisedReplacements(state_.engine.Get(), *claim);
  } catch (const std::exception&) {
    return {};
  }
}

FixReplacements ZoCodeInspectionsInterop2::GetFixesReplacements(const std::vector<uint32_t>& tokens) {
  try {
    std::vector<ClaimedFix> claims;
    for (const uint32_t token : tokens) {
      std::optional<ClaimedFix> claim = state_.runs.claims.Find(token);
      if (!claim || !claim->utf8Text || claim->utf8Text->empty() || !claim->spanMap) return {};
      const bool sameText =
          claims.empty() ||
          (claim->fileKey == claims.front().fileKey &&
           (claim->utf8Text == claims.front().utf8Text || *claim->utf8Text == *claims.front().utf8Text));
      if (!sameText) return {};
      claims.push_back(std::move(*claim));
    }
    FixReplacements together;
    for (const ClaimedFix& group : GroupedByNeighbourhood(claims)) {
      FixReplacements finalised = FinalisedReplacements(state_.engine.Get(), group);
      if (finalised.fileKey.empty()) return {};
      together.fileKey = std::move(finalised.fileKey);
      for (repl& replacement : finalised.replacements) together.replacements.push_back(std::move(replacement));
    }
    return together;
  } catch (const std::exception&) {
    return {};
  }
}

bool ZoCodeInspectionsInterop2::FixChangesOtherFiles(uint32_t token) {
  try {
    return state_.runs.claims.ChangesOtherFiles(token);
  } catch (const std::exception&) {
    return false;
  }
}

void ZoCodeInspectionsInterop2::DumpToChosenFolder() {
  try {
    const std::optional<std::string> folder = Platform::ChooseFolder("Select output folder...");
    if (folder) DumpToFolder(*folder, CacheView(state_.runs.cache), state_.runs.lastYaml.Text());
  } catch (const std::exception&) {
    // A dump is a diagnostic aid: failing to write it must not disturb the host.
  }
}

std::shared_ptr<IUtfIndexMapper> ZoCodeInspectionsInterop2::CreateTextMapper(const char16_t* text, uint32_t count) {
  try {
    return MakeMapperFromUtf16(std::make_shared<const std::u16string>(text, count));
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace Quillfern::ZoCodeInspections::Native
