// The service object behind interop2(): a thin front over its ServiceState.
#pragma once

#include <utility>

#include "interop/interop2.h"
#include "service/service_state.h"

namespace Quillfern::ZoCodeInspections::Native {

class ZoCodeInspectionsInterop2 final : public IZoCodeInspectionsInterop2 {
 public:
  /// The engine comes from `engine`, files are opened with `opener`; the
  /// host's service uses the engine library and the platform's opener.
  explicit ZoCodeInspectionsInterop2(EngineFactory engine = LoadEngine, FileOpener opener = Platform::OpenForRead)
      : state_(std::move(engine), std::move(opener)) {}
  ZoCodeInspectionsInterop2(const ZoCodeInspectionsInterop2&) = delete;
  ZoCodeInspectionsInterop2& operator=(const ZoCodeInspectionsInterop2&) = delete;
  ~ZoCodeInspectionsInterop2() = default;

  /// Stores the logging switch, points "TMP" at the folder when it exists or
  /// can be made, and returns "Clang <text(false)> <text(true)>". When the
  /// engine cannot be loaded the text is "error: " and the reason.
  std::string Initialize(std::string tempFolder, bool detailedLogging) override;
  void ClearCaches() override;
  /// Engine operation 9 with (a, b, 0); 0 when the engine cannot be loaded.
  uint32_t ForwardToEngine(uint32_t a, uint32_t b) override;
  std::shared_ptr<IUtfIndexMapper> GetFileMapper(const char16_t* path, uint32_t count) override;
  void ReleaseCaches() override;
  FixReplacements GetFixReplacements(uint32_t token) override;
  FixReplacements GetFixesReplacements(const std::vector<uint32_t>& tokens) override;
  bool FixChangesOtherFiles(uint32_t token) override;
  void DumpToChosenFolder() override;
  IZoFileParser* CreateFileParser(std::string path, const InspectionSettings& settings) override;
  std::shared_ptr<IUtfIndexMapper> CreateTextMapper(const char16_t* text, uint32_t count) override;

 private:
  ServiceState state_;
};

}  // namespace Quillfern::ZoCodeInspections::Native
