// The JSON shapes the language server sends: diagnostics, quick-fix code
// actions and workspace edits, with positions in UTF-16 code units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "lsp_documents.h"
#include "report.h"

namespace zoci {

/// An LSP Diagnostic of `diagnostic` over the text `positions` indexes.
nlohmann::json DiagnosticJson(const TextPositions& positions, const Diagnostic& diagnostic);

/// The unresolved quick fix of the `index`th diagnostic published for `uri` at `version`.
nlohmann::json QuickFixAction(const TextPositions& positions, const Diagnostic& diagnostic, const std::string& uri,
                              int64_t version, size_t index);

/// The unresolved action fixing every diagnostic of `check` published for `uri` at `version`.
nlohmann::json FixAllAction(const std::string& check, const std::string& uri, int64_t version);

/// An action that silences `diagnostic` with a zoCI:skip directive at the end of its line.
nlohmann::json SuppressAction(const TextPositions& positions, const Diagnostic& diagnostic, const std::string& uri);

/// A WorkspaceEdit applying `edits` to `uri`.
nlohmann::json WorkspaceEdit(const TextPositions& positions, const std::string& uri,
                             const std::vector<TextEdit>& edits);

}  // namespace zoci
