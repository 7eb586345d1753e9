// The project files a language server inspects with (-p's
// compile_commands.json, --config-file), read again when they change on disk:
// a build reconfigured while the editor stays open gives its new flags to the
// next run, as it would to a new server.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "inspection.h"
#include "options.h"

namespace zoci {

class FollowedProject {
 public:
  /// Reads the project files `options` names (kept by reference); the error, or "".
  std::string Start(const Options& options);
  /// The inspector of the project files as they are now, read again when one
  /// has been rewritten since; while a rewritten file cannot be read, the one
  /// read before, and `warning` says so. Safe to call from several threads.
  std::shared_ptr<const Inspector> Current(std::string& warning);

 private:
  /// The project files' write times and sizes: another text when one is rewritten.
  std::string Stamp() const;
  /// An inspector of the project files as read now; none with `error`.
  std::shared_ptr<const Inspector> Read(std::string& error) const;

  const Options* options_ = nullptr;
  std::mutex mutex_;
  std::string stamp_;    ///< of the files when last read
  std::string failure_;  ///< why they could not be read then; "" when they were
  std::shared_ptr<const Inspector> inspector_;
};

}  // namespace zoci
