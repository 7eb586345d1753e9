// The JSON shapes the language server sends: diagnostics, quick-fix code
// actions and workspace edits, with positions in UTF-16 code units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "report.h"
#include "text_lines.h"

namespace zoci {

/// An LSP Diagnostic of `diagnostic` over the text `lines` indexes.
nlohmann::json DiagnosticJson(const LineIndex& lines, const Diagnostic& diagnostic);

/// The unresolved quick fix of the `index`th diagnostic published for `uri` at `version`.
nlohmann::json QuickFixAction(const LineIndex& lines, const Diagnostic& diagnostic, const std::string& uri,
                              int64_t version, size_t index);

/// A WorkspaceEdit applying `edits` to `uri`.
nlohmann::json WorkspaceEdit(const LineIndex& lines, const std::string& uri, const std::vector<TextEdit>& edits);

}  // namespace zoci
