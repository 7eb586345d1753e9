#include "run/diagnostic_intake.h"

#include <filesystem>
#include <optional>

#include "results/diagnostic_conversion.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

DiagnosticFilter FilterFor(const FixesFile& fixes, uint32_t modeFlags, const InspectionSettings& settings,
                           const std::string& fixlessChecks) {
  DiagnosticFilter filter;
  filter.mainFile = std::filesystem::path(fixes.mainSourceFile).lexically_normal();
  if ((modeFlags & ModeFlags::mainFileOnly) == 0) {
    for (const std::string& folder : settings.excludedFolders) {
      filter.excludedFolders.push_back(std::filesystem::path(folder).lexically_normal());
    }
  }
  filter.modeFlags = modeFlags;
  filter.skipErrors = settings.skipErrors;
  filter.keepFixlessDiagnostics = settings.keepFixlessDiagnostics;
  filter.fixlessChecks = fixlessChecks;
  return filter;
}

/// Compiler errors without a position (a forced include that is missing, an
/// argument the compiler refuses) concern the whole run: they are placed at the
/// start of the main file, where an editor shows such errors, instead of being
/// lost.
void PlaceErrorsWithoutPosition(FixesFile& fixes) {
  for (FixesDiagnostic& diagnostic : fixes.diagnostics) {
    if (!diagnostic.filePath.empty() || diagnostic.level != kDiagnosticLevelError) continue;
    diagnostic.filePath = fixes.mainSourceFile;
    diagnostic.offset = 0;
  }
}

}  // namespace

void DiagnosticIntake(const std::string& fixesYaml, const IntakeContext& context, RunResult& result) {
  if (fixesYaml.empty()) {
    result.status = RunStatus::emptyFixes;
    return;
  }
  std::optional<FixesFile> fixes = context.engine.ReadExportedFixes(fixesYaml);
  if (!fixes || fixes->mainSourceFile.empty()) return;
  result.status = RunStatus::diagnosticsRead;
  PlaceErrorsWithoutPosition(*fixes);
  const DiagnosticFilter filter = FilterFor(*fixes, context.modeFlags, context.settings, context.fixlessChecks);
  ConvertDiagnostics(std::move(fixes->diagnostics), result, filter, context.files, context.runLog, context.errorText,
                     context.fixesInOtherFiles);
}

}  // namespace Quillfern::ZoCodeInspections::Native
