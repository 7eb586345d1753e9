// What the scheduler needs of the server (SchedulerCallbacks: where a run
// gets its text and leaves its results) and of the engine (Inspections: one
// run of a document), so that each side can be replaced in tests.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "interop/file_parser.h"
#include "options.h"
#include "parser_switch.h"
#include "report.h"

namespace zoci {

/// What a run of one document inspects: its path and version, and every open text.
struct DocumentSnapshot {
  std::string path;
  int64_t version = 0;
  Quillfern::ZoCodeInspections::Native::UnsavedBuffers buffers;  ///< by absolute path
};

/// Kinds of window/showMessage.
enum class MessageType { error = 1, warning = 2, info = 3 };

/// The server as the scheduler sees it: where a run gets its text and leaves
/// its results. Called from the scheduler's worker.
class SchedulerCallbacks {
 public:
  virtual ~SchedulerCallbacks() = default;
  /// What to inspect for `uri`; none when it is no longer open.
  virtual std::optional<DocumentSnapshot> Snapshot(const std::string& uri) const = 0;
  /// Shows that `uri` is being inspected; the report's token (empty when none is shown).
  virtual std::string BeginProgress(const std::string& uri, const std::string& message) = 0;
  /// Ends the report `token` of BeginProgress.
  virtual void EndProgress(const std::string& token, const std::string& message) = 0;
  /// The diagnostics of a run of `uri` at `version`; dropped when the document has moved on.
  virtual void Publish(const std::string& uri, int64_t version, std::vector<Diagnostic> diagnostics) = 0;
  /// Shows `message` to the user.
  virtual void ShowMessage(MessageType type, const std::string& message) = 0;
  /// Adds `message` to the client's trace log when it keeps one.
  virtual void Trace(const std::string& message) = 0;
};

/// What one run of a document produced.
struct DocumentRun {
  /// With the diagnostics of the document itself, and one at its start for
  /// the errors in the files it includes.
  InspectedFile file;
  std::string logText;  ///< the run's log
  /// The files the run read or looked for (absolute paths): a new text of one
  /// of them (saved, or the editor's dropped) makes the diagnostics stale.
  std::vector<std::string> filesRead;
};

/// The inspections the scheduler runs (the engine's side).
class Inspections {
 public:
  virtual ~Inspections() = default;
  /// Gets ready to inspect under `options`; an error text when it cannot.
  virtual std::string Start(const Options& options) = 0;
  /// Inspects `snapshot`; a switched-off `parserSwitch` makes the run stop early.
  virtual DocumentRun Inspect(const DocumentSnapshot& snapshot, const std::shared_ptr<ParserSwitch>& parserSwitch) = 0;
  /// The final replacements of the fix claimed under `token`; empty when the engine no longer has them.
  virtual std::vector<TextEdit> FinalFix(int32_t token) = 0;
  /// The final replacements of the fixes claimed under `tokens`, finalised together; none when the engine cannot.
  virtual std::optional<std::vector<TextEdit>> FinalFixes(const std::vector<int32_t>& tokens) = 0;
};

}  // namespace zoci
