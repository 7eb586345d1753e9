// Serves the engine the files whose UTF-8 text differs from their bytes on
// disk (converted files and unsaved buffers) from the source cache, and notes
// each served file in the run log. It also keeps the paths it was asked for:
// every file the compiler looked for, found or not.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "buffers/source_cache.h"
#include "contract/engine_interface.h"

namespace Quillfern::ZoCodeInspections::Native {

class FileProvider {
 public:
  /// Files come from `files`; served files are described in `runLog`.
  FileProvider(CacheView& files, std::string& runLog) : files_(files), runLog_(runLog) {}

  /// The file's text and last-write time, or none to let the engine read the
  /// disk. Never throws.
  std::optional<ProvidedFile> operator()(std::string_view name, std::string_view path);

  /// The paths asked for, in the order first asked.
  const std::vector<std::string>& Asked() const { return asked_; }

 private:
  CacheView& files_;
  std::string& runLog_;
  std::vector<std::string> asked_;
};

}  // namespace Quillfern::ZoCodeInspections::Native
