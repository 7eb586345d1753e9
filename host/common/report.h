// What zoci found, in the host's terms: diagnostics with UTF-16 spans over the
// text zoci decoded, the sources they point into, and each file's outcome.
// The output formats read only this.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "text_codec.h"

namespace zoci {

/// One replacement: UTF-16 range of the host text (without BOM) and new text (UTF-8).
struct TextEdit {
  uint32_t offset = 0;
  uint32_t length = 0;
  std::string text;
};

struct Diagnostic {
  std::string file;  ///< the path the engine reported, as zoci shows it
  std::string check;
  std::string message;
  bool error = false;            ///< a compiler error, or a warning promoted by --warnings-as-errors
  bool promoted = false;         ///< promoted by --warnings-as-errors
  uint32_t offset = 0;           ///< UTF-16 start of the diagnostic's position
  uint32_t length = 0;           ///< its extent in UTF-16 units (at least the character there)
  std::vector<TextEdit> fix;     ///< the fix's replacements; empty when there is no fix
  int32_t claimToken = 0;        ///< the library's token for the fix
  std::vector<TextEdit> ownFix;  ///< the run's own replacements of the fix, before cleanup (empty: as `fix`)
  std::string fixLeftOut;        ///< why the fix is left out of `fix`; empty when it is not
  /// The other enabled checks that reported the same diagnostic (aliases of `check`).
  std::vector<std::string> aliases;

  /// An error of the compiler itself, not a warning made one.
  bool CompilerError() const { return error && !promoted; }
};

/// The outcome of inspecting one file named on the command line.
struct InspectedFile {
  std::string path;
  bool failed = false;
  std::string error;  ///< why it failed
  std::string note;   ///< what the library said besides, e.g. why it skipped the file
  std::vector<Diagnostic> diagnostics;
  /// Problems of a run that still produced diagnostics (these may be incomplete).
  std::vector<std::string> warnings;
};

/// Everything one zoci run found.
struct Report {
  std::vector<InspectedFile> files;
  std::map<std::string, HostText> sources;  ///< decoded texts by path
  std::map<std::string, std::string> diskBytes;  ///< each file's bytes when it was read (not for unsaved buffers)
  std::set<std::string> misread;  ///< files the library read as another text than zoci: never fixed
  std::string engineVersion;
};

}  // namespace zoci
