// Serves the engine the files whose UTF-8 text differs from their bytes on
// disk (converted files and unsaved buffers) from the source cache, and notes
// each served file in the run log. It also keeps the paths it was asked for:
// every file the compiler looked for, found or not.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contract/engine_interface.h"

namespace Quillfern::ZoCodeInspections::Native {

class FileProvider {
 public:
  /// Served files are described in `runLog`.
  explicit FileProvider(std::string& runLog) : runLog_(runLog) {}

  /// The file's text and last-write time, or none to let the engine read the
  /// disk. Never throws.
  std::optional<ProvidedFile> operator()(std::string_view name, std::string_view path);

  /// The paths asked for, in the order first asked.
  const std::vector<std::string>& Asked() const { return asked_; }

 private:
  std::string& runLog_;
  std::vector<std::string> asked_;
};

}  // namespace Quillfern::ZoCodeInspections::Native
