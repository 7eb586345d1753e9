// Serves the engine the files whose UTF-8 text differs from their bytes on
// disk (converted files and unsaved buffers) from the source cache, and notes
// each served file in the run log.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "contract/engine_interface.h"

namespace Quillfern::ZoCodeInspections::Native {

class FileProvider {
 public:
  /// Served files are described in `runLog`.
  explicit FileProvider(std::string& runLog) : runLog_(runLog) {}

  /// The file's text and last-write time, or none to let the engine read the
  /// disk. Never throws.
  std::optional<ProvidedFile> operator()(std::string_view name, std::string_view path);

 private:
  std::string& runLog_;
};

}  // namespace Quillfern::ZoCodeInspections::Native
