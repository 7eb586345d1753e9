// The service operations that later subsystems provide; until they exist each
// answers with its empty result.
#include "interop/service.h"

namespace Quillfern::ZoCodeInspections::Native {

void ZoCodeInspectionsInterop2::ClearCaches() {}

void ZoCodeInspectionsInterop2::ReleaseCaches() {}

std::shared_ptr<IUtfIndexMapper> ZoCodeInspectionsInterop2::GetFileMapper(const char16_t*,
                                                                          uint32_t) {
  return nullptr;
}

FixReplacements ZoCodeInspectionsInterop2::GetFixReplacements(uint32_t) { return {}; }

void ZoCodeInspectionsInterop2::DumpToChosenFolder() {}

std::shared_ptr<IUtfIndexMapper> ZoCodeInspectionsInterop2::CreateTextMapper(const char16_t*,
                                                                             uint32_t) {
  return nullptr;
}

}  // namespace Quillfern::ZoCodeInspections::Native
