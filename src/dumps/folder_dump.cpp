#include "dumps/folder_dump.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "buffers/source_cache.h"
#include "platform/string_printf.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

/// A derived form of a record, made now if need be; null when there is none
/// or it cannot be made.
template <typename T>
T Produced(lazy<T>& form) {
  if (form.empty()) return nullptr;
  try {
    return form.get();
  } catch (const std::exception&) {
    return nullptr;
  }
}

void WriteFile(const std::string& name, const void* data, size_t size) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  if (!out) return;
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

/// Writes what the record holds; a form that cannot be made (no mapper for
/// an empty text, a producer that fails) is left out.
void DumpRecord(clfile& record, const std::filesystem::path& folder, const std::string& yaml) {
  std::lock_guard lock(record.mutex);
  const std::string base = (folder / std::filesystem::path(record.name).filename()).string();
  if (const auto text = Produced(record.utf8Text)) {
    const int bom = record.clangSideBom ? static_cast<int>(*record.clangSideBom) : -1;
    WriteFile(StringPrintf("%s.%d.utf8", base.c_str(), bom), text->data(), text->size());
  }
  if (const auto text = Produced(record.utf16Text)) {
    WriteFile(StringPrintf("%s.unicode", base.c_str()), text->data(), text->size() * 2);
  }
  if (const auto mapper = Produced(record.mapper)) {
    const std::string dump = mapper->Dump();
    WriteFile(StringPrintf("%s.mapper", base.c_str()), dump.data(), dump.size());
  }
  WriteFile(StringPrintf("%s.yaml", base.c_str()), yaml.data(), yaml.size());
}

}  // namespace

void DumpToFolder(const std::string& folder, const CacheView& files, const std::string& yaml) {
  // The records are listed under the cache mutex and written after it is
  // released: a record's mutex is never taken while the cache mutex is held,
  // because loading a file takes them the other way round.
  std::vector<std::shared_ptr<clfile>> records;
  files.Inspect([&records](const CacheContents& cache) {
    for (const auto& entry : cache.convertedFiles) records.push_back(entry.second);
  });
  if (records.empty()) return;
  for (const auto& record : records) DumpRecord(*record, folder, yaml);
}

}  // namespace Quillfern::ZoCodeInspections::Native
