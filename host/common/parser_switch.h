// Lets another thread switch off the parser of a run under way, so that the
// run's result is thrown away (an editor's newer text makes it stale).
#pragma once

#include <mutex>

#include "interop/file_parser.h"

namespace zoci {

class ParserSwitch {
 public:
  /// Called by the run around its parse; a switch already off disables the parser at once.
  void Attach(Quillfern::ZoCodeInspections::Native::IZoFileParser* parser) {
    const std::lock_guard<std::mutex> lock(mutex_);
    parser_ = parser;
    if (parser_ && off_) parser_->SetEnabled(false);
  }
  /// Switches the run's parser off, now or as soon as it has one.
  void SwitchOff() {
    const std::lock_guard<std::mutex> lock(mutex_);
    off_ = true;
    if (parser_) parser_->SetEnabled(false);
  }
  bool IsOff() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return off_;
  }

 private:
  mutable std::mutex mutex_;
  Quillfern::ZoCodeInspections::Native::IZoFileParser* parser_ = nullptr;
  bool off_ = false;
};

}  // namespace zoci
