// What the language server asks of the inspections behind it (the
// scheduler), so that the protocol side can be exercised without the engine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "options.h"
#include "report.h"

namespace zoci {

class LspBackend {
 public:
  virtual ~LspBackend() = default;
  /// Starts inspecting under `options` (the command line's with the client's
  /// initialization options); an error text when it cannot.
  virtual std::string Start(const Options& options) = 0;
  /// The document behind `uri` was opened: inspect it now.
  virtual void Opened(const std::string& uri) = 0;
  /// The document behind `uri` changed: inspect it soon, and switch off a
  /// run of it under way.
  virtual void Changed(const std::string& uri) = 0;
  /// The client cancelled the inspection of the document: switch off a run of
  /// it under way; its diagnostics stay as last published.
  virtual void Cancel(const std::string& uri) = 0;
  /// The document was closed: forget it, and switch off a run of it under way.
  virtual void Closed(const std::string& uri) = 0;
  /// The text the runs see of the file at `path` (absolute) changed: it was
  /// saved or changed on disk, or its editor's text was dropped. Inspect
  /// again, now, every other open document whose last run read it.
  virtual void FileTextChanged(const std::string& path) = 0;
  /// The final replacements of the fix claimed under `token`; empty when the
  /// engine no longer has them.
  virtual std::vector<TextEdit> FinalFix(int32_t token) = 0;
  /// The final replacements of the fixes claimed under `tokens` (of one file),
  /// finalised together as one change; none when the engine cannot.
  virtual std::optional<std::vector<TextEdit>> FinalFixes(const std::vector<int32_t>& tokens) = 0;
};

}  // namespace zoci
