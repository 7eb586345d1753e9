#include "run/file_provider.h"

#include <mutex>

#include "dumps/files_report.h"

namespace Quillfern::ZoCodeInspections::Native {

std::optional<ProvidedFile> FileProvider::operator()(std::string_view name, std::string_view path) {
  try {
    asked_.emplace_back(path);
    const auto record = files_.GetFile(name, path, FileWanted::converted);
    if (!record) return std::nullopt;
    std::lock_guard lock(record->mutex);
    runLog_ += DescribeRecord(*record, files_.Settings(), RecordDetail::brief) + "\n";
    if (record->utf8Text.empty()) return std::nullopt;
    return ProvidedFile{record->utf8Text.get(), record->fileInfo.lastWriteTime};
  } catch (const std::exception&) {
    // A file that cannot be served is read from disk by the engine.
    return std::nullopt;
  }
}

}  // namespace Quillfern::ZoCodeInspections::Native
