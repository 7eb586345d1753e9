#include "results/diagnostic_conversion.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <unordered_map>

#include "buffers/source_cache.h"
#include "interop/inspection_settings.h"
#include "results/directives.h"
#include "results/span_mapping.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

bool HasReplacements(const FixesDiagnostic& diagnostic) {
  return std::any_of(diagnostic.fix.begin(), diagnostic.fix.end(),
                     [](const auto& file) { return !file.second.empty(); });
}

/// Whether the fix has replacements in a file other than the diagnostic's.
bool FixInOtherFiles(const FixesDiagnostic& diagnostic) {
  const auto normal = [](const std::string& path) { return std::filesystem::path(path).lexically_normal(); };
  return std::any_of(diagnostic.fix.begin(), diagnostic.fix.end(), [&](const auto& file) {
    return !file.second.empty() && file.first != diagnostic.filePath &&
           normal(file.first) != normal(diagnostic.filePath);
  });
}

bool IsError(const FixesDiagnostic& diagnostic) {
  return diagnostic.level == kDiagnosticLevelError || diagnostic.checkName == "clang-diagnostic-error";
}

/// Whether `file` lies inside `folder` (lexically).
bool IsInside(const std::filesystem::path& file, const std::filesystem::path& folder) {
  const std::filesystem::path relative = file.lexically_relative(folder);
  return !relative.empty() &&
         std::none_of(relative.begin(), relative.end(), [](const auto& part) { return part == ".."; });
}

/// The filter's tests of the diagnostic itself.
bool PassesSettings(const FixesDiagnostic& diagnostic, const DiagnosticFilter& filter) {
  if (diagnostic.filePath.empty()) return false;
  if (!HasReplacements(diagnostic) && !filter.keepFixlessDiagnostics &&
      filter.fixlessChecks.find(diagnostic.checkName) == std::string::npos) {
    return false;
  }
  return !(filter.skipErrors && IsError(diagnostic));
}

/// The filter's tests of the diagnostic's file.
bool FilePasses(const std::filesystem::path& file, const DiagnosticFilter& filter) {
  if ((filter.modeFlags & ModeFlags::mainFileOnly) != 0) {
    std::error_code ignored;
    return std::filesystem::equivalent(file, filter.mainFile, ignored);
  }
  return std::none_of(filter.excludedFolders.begin(), filter.excludedFolders.end(),
                      [&](const auto& folder) { return IsInside(file, folder); });
}

/// Whether the file's directives drop the diagnostic at `offset`.
bool SkippedByDirective(clfile& record, const IUtfIndexMapper& mapper, uint32_t offset, const std::string& checkName,
                        std::string& runLog) {
  const auto directives = GetDirectives(record);
  if (!directives) return false;
  if (directives->skipAll) {
    runLog += "*** File " + record.path +
              " skipped by zoCI:"
              "skipall directive ***\n\n";  // split, or inspecting this file would skip it
    return true;
  }
  const std::optional<uint32_t> line = mapper.LineOf(offset);
  return line && IsSuppressed(directives->rules, static_cast<int32_t>(*line), checkName);
}

std::shared_ptr<const std::u16string> Utf16TextOf(clfile* record) {
  if (record == nullptr) return nullptr;
  std::lock_guard lock(record->mutex);
  return record->utf16Text.empty() ? nullptr : record->utf16Text.get();
}

action FixOf(const FixesDiagnostic& diagnostic, const SpanMapFunction& spanMap) {
  action fix;
  fix.title = diagnostic.message;
  // Every replacement is mapped in the diagnostic's own file.
  for (const auto& [file, replacements] : diagnostic.fix) {
    for (const FixReplacement& replacement : replacements) {
      fix.replacements.push_back({replacement.text, spanMap(replacement.offset, replacement.length).second,
                                  ZoSpan{replacement.offset, replacement.length}});
    }
  }
  return fix;
}

/// What the diagnostics of one file share: the filter's verdict on the file
/// and, once one of them passes, its cache record, its mapper and the one span
/// map that serves all of its records.
struct FileContext {
  std::optional<bool> passes;
  bool loaded = false;
  std::shared_ptr<clfile> record;
  std::shared_ptr<IUtfIndexMapper> mapper;
  OffsetAdjustFunction adjust;
  std::shared_ptr<const std::u16string> fileText;
  std::shared_ptr<SpanMapFunction> spanMap;
};

/// The contexts of a run's files, by the path the engine names each with.
using FileContexts = std::unordered_map<std::string, FileContext>;

void Load(FileContext& context, const std::string& filePath, CacheView& files) {
  const std::string file = std::filesystem::path(filePath).lexically_normal().string();
  context.mapper = files.GetMapper(filePath, file, &context.record);
  context.adjust = MakeOffsetAdjust(context.record.get());
  context.fileText = Utf16TextOf(context.record.get());
  context.spanMap = std::make_shared<SpanMapFunction>(MakeSpanMap(context.mapper, context.adjust));
  context.loaded = true;
}

void ConvertOne(const FixesDiagnostic& diagnostic, RunResult& result, const DiagnosticFilter& filter,
                FileContexts& contexts, CacheView& files, std::string& runLog, std::set<RecordKey>& fixesInOtherFiles) {
  if (!PassesSettings(diagnostic, filter)) return;
  FileContext& context = contexts[diagnostic.filePath];
  if (!context.passes) {
    context.passes = FilePasses(std::filesystem::path(diagnostic.filePath).lexically_normal(), filter);
  }
  if (!*context.passes) return;
  if (!context.loaded) Load(context, diagnostic.filePath, files);
  if (context.record && context.mapper &&
      SkippedByDirective(*context.record, *context.mapper, context.adjust(diagnostic.offset), diagnostic.checkName,
                         runLog)) {
    return;
  }

  qfix converted;
  converted.checkname = diagnostic.checkName;
  converted.message = diagnostic.message;
  converted.filename = diagnostic.filePath;
  converted.fileText = context.fileText;
  converted.spanMap = context.spanMap;
  converted.actions.push_back(FixOf(diagnostic, *converted.spanMap));
  std::tie(converted.triggerLine, converted.triggerspan) = (*converted.spanMap)(diagnostic.offset, 1);
  if (FixInOtherFiles(diagnostic)) fixesInOtherFiles.insert(KeyOf(converted));
  result.qfixes.push_back(std::move(converted));
}

}  // namespace

RecordKey KeyOf(const qfix& record) {
  return {record.filename, record.triggerspan.start, record.triggerspan.length, record.message, record.checkname};
}

void ConvertDiagnostics(std::vector<FixesDiagnostic>&& diagnostics, RunResult& result, const DiagnosticFilter& filter,
                        CacheView& files, std::string& runLog, std::string& errorText,
                        std::set<RecordKey>& fixesInOtherFiles) {
  FileContexts contexts;
  for (FixesDiagnostic& diagnostic : diagnostics) {
    try {
      ConvertOne(diagnostic, result, filter, contexts, files, runLog, fixesInOtherFiles);
    } catch (const std::exception& error) {
      errorText += std::string("*** exception: ") + error.what() + "\n";
    }
    diagnostic = FixesDiagnostic();  // what is converted need not be held twice
  }
  diagnostics.clear();
}

}  // namespace Quillfern::ZoCodeInspections::Native
