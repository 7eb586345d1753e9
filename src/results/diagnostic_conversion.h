// Turns the engine's diagnostics of one run into quick-fix records with
// positions in the host's UTF-16 text, dropping what the settings, the
// excluded folders and the in-source directives exclude.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "buffers/source_cache.h"
#include "contract/engine_interface.h"
#include "interop/run_result.h"

namespace Quillfern::ZoCodeInspections::Native {

/// What decides which diagnostics of a run become records.
struct DiagnosticFilter {
  /// The main file as the engine names it, normalised lexically.
  std::filesystem::path mainFile;
  /// Folders whose files' diagnostics are dropped, normalised lexically
  /// (not consulted with mainFileOnly).
  std::vector<std::filesystem::path> excludedFolders;
  /// The parse's mode flags; ModeFlags::mainFileOnly keeps the main file's
  /// diagnostics only.
  uint32_t modeFlags = 0;
  bool skipErrors = false;
  bool keepFixlessDiagnostics = false;
  /// Checks whose diagnostics without a fix are kept (substring test).
  std::string fixlessChecks;
};

/// A record as sorting tells records apart (file, start, length, message),
/// with its check.
using RecordKey = std::tuple<std::string, uint32_t, uint32_t, std::string, std::string>;

RecordKey KeyOf(const qfix& record);

/// Appends a record for every diagnostic that passes the filter, in the
/// engine's order. The records whose fix also changes files other than the
/// diagnostic's (every replacement is mapped in the diagnostic's file) join
/// `fixesInOtherFiles`. A file skipped by its skip-all directive leaves a line in
/// `runLog`; a diagnostic whose conversion throws a standard exception
/// leaves "*** exception: " and the message in `errorText` and no record.
/// Each diagnostic is released once converted.
/// The diagnostics' files are looked up through `files`.
void ConvertDiagnostics(std::vector<FixesDiagnostic>&& diagnostics, RunResult& result, const DiagnosticFilter& filter,
                        CacheView& files, std::string& runLog, std::string& errorText,
                        std::set<RecordKey>& fixesInOtherFiles);

}  // namespace Quillfern::ZoCodeInspections::Native
