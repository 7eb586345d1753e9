#include "service/service.h"

#include <memory>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

// Created during static initialisation, before the host can call interop2.
const std::unique_ptr<ZoCodeInspectionsInterop2> theService = std::make_unique<ZoCodeInspectionsInterop2>();

void PointTmpAt(const std::string& folder) {
  if (folder.empty()) return;
  if (Platform::CreateDirectoryOneLevel(folder) == Platform::CreateDirOutcome::failed) return;
  Platform::SetEnvironment("TMP", folder);
}

}  // namespace

IZoCodeInspectionsInterop2& interop2() { return *theService; }

std::string ZoCodeInspectionsInterop2::Initialize(std::string tempFolder, bool detailed) {
  state_.detailedLogging = detailed;
  PointTmpAt(tempFolder);
  try {
    IZOClangTidy& engine = state_.engine.Get();
    const std::string withTrue = engine.GetVersionText(true);
    const std::string withFalse = engine.GetVersionText(false);
    return "Clang " + withFalse + " " + withTrue;
  } catch (const std::exception& e) {
    return std::string("error: ") + e.what();
  }
}

uint32_t ZoCodeInspectionsInterop2::ForwardToEngine(uint32_t a, uint32_t b) {
  try {
    return state_.engine.Get().ForwardedOperation(a, b, 0);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace Quillfern::ZoCodeInspections::Native
