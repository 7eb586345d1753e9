// The library's entry point: interop2() returns the one service object of the
// process, through which the host reaches everything else. Slot order is part
// of the host interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "interop/file_parser.h"
#include "interop/inspection_settings.h"
#include "interop/qfix.h"
#include "interop/utf_index_mapper.h"

#if defined(_WIN32)
#if defined(ZO_INTEROP_BUILD)
#define ZO_INTEROP_API __declspec(dllexport)
#else
#define ZO_INTEROP_API
#endif
#else
#define ZO_INTEROP_API __attribute__((visibility("default")))
#endif

namespace Quillfern::ZoCodeInspections::Native {

/// The final replacements of a claimed fix, in host coordinates.
struct FixReplacements {
  std::vector<repl> replacements;
  std::string fileKey;  ///< cache key of the fix's file; empty on failure
};

class IZoCodeInspectionsInterop2 {
 public:
  /// Slot 0: sets the temporary folder and detailed logging; returns the
  /// engine's version text.
  virtual std::string Initialize(std::string tempFolder, bool detailedLogging) = 0;
  /// Slot 1: empties the process-wide source cache.
  virtual void ClearCaches() = 0;
  /// Slot 2: engine operation 9 with (a, b, 0).
  virtual uint32_t ForwardToEngine(uint32_t a, uint32_t b) = 0;
  /// Slot 3: the offset mapper of a file (UTF-16 path), loading it if needed.
  virtual std::shared_ptr<IUtfIndexMapper> GetFileMapper(const char16_t* path, uint32_t count) = 0;
  /// Slot 4: same effect as ClearCaches.
  virtual void ReleaseCaches() = 0;
  /// Slot 5: the final replacements of the fix claimed under `token`.
  virtual FixReplacements GetFixReplacements(uint32_t token) = 0;
  /// Slot 6: asks for a folder and dumps the source cache into it.
  virtual void DumpToChosenFolder() = 0;
  /// Slot 7: a new parser for one file; the host owns it.
  virtual IZoFileParser* CreateFileParser(std::string path, const InspectionSettings& settings) = 0;
  /// Slot 8: a mapper over a UTF-16 text of the host's.
  virtual std::shared_ptr<IUtfIndexMapper> CreateTextMapper(const char16_t* text, uint32_t count) = 0;
  /// Slot 9 (after the IDE's slots, which it does not use): the final
  /// replacements of several fixes claimed in one file's inspection, cleaned
  /// up together as one change, as a fix of the whole file is applied. Empty
  /// when a token is not claimed, the fixes come from different texts, or
  /// their replacements overlap.
  virtual FixReplacements GetFixesReplacements(const std::vector<uint32_t>& tokens) = 0;
  /// Slot 10 (after the IDE's slots): whether the fix claimed under `token`
  /// also changes files other than its diagnostic's. The records map every
  /// replacement in the diagnostic's file, so such a fix cannot be applied
  /// from them.
  virtual bool FixChangesOtherFiles(uint32_t token) = 0;

 protected:
  ~IZoCodeInspectionsInterop2() = default;
};

/// The one exported function: the process's service object.
ZO_INTEROP_API IZoCodeInspectionsInterop2& interop2();

}  // namespace Quillfern::ZoCodeInspections::Native
