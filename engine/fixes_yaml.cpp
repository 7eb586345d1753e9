#include "fixes_yaml.h"

#include "yaml_paths.h"

#include <clang/Tooling/Core/Diagnostic.h>
#include <clang/Tooling/DiagnosticsYaml.h>
#include <llvm/Support/SourceMgr.h>
#include <llvm/Support/YAMLTraits.h>

namespace zoe {

namespace {

void IgnoreYamlDiagnostic(const llvm::SMDiagnostic&, void*) {}

FixesDiagnostic Convert(const clang::tooling::Diagnostic& diagnostic) {
  FixesDiagnostic converted;
  converted.checkName = diagnostic.DiagnosticName;
  converted.message = diagnostic.Message.Message;
  converted.filePath = PathFromYaml(diagnostic.Message.FilePath);
  converted.offset = diagnostic.Message.FileOffset;
  converted.level = static_cast<int>(diagnostic.DiagLevel);
  for (const auto& [file, replacements] : diagnostic.Message.Fix) {
    std::set<FixReplacement>& group = converted.fix[PathFromYaml(file)];
    for (const clang::tooling::Replacement& replacement : replacements) {
      group.insert(FixReplacement{PathFromYaml(replacement.getFilePath()), replacement.getOffset(), replacement.getLength(),
                                  replacement.getReplacementText().str()});
    }
  }
  return converted;
}

}  // namespace

std::optional<FixesFile> ReadFixesYaml(const std::string& yaml) {
  clang::tooling::TranslationUnitDiagnostics document;
  llvm::yaml::Input input(yaml, nullptr, IgnoreYamlDiagnostic);
  input >> document;
  if (input.error()) return std::nullopt;
  FixesFile fixes;
  fixes.mainSourceFile = PathFromYaml(document.MainSourceFile);
  fixes.diagnostics.reserve(document.Diagnostics.size());
  for (const clang::tooling::Diagnostic& diagnostic : document.Diagnostics) {
    fixes.diagnostics.push_back(Convert(diagnostic));
  }
  return fixes;
}

}  // namespace zoe
