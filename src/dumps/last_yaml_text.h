// The fixes YAML and results text of the latest run made with detailed
// logging, kept for the folder dump. Runs of different parsers overlap, so
// access is locked.
#pragma once

#include <mutex>
#include <string>

namespace Quillfern::ZoCodeInspections::Native {

class LastYamlText {
 public:
  /// The latest detailed run's text; empty when there was none.
  std::string Text() const;

  /// Replaces the text (an empty text clears it).
  void Store(std::string text);

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

}  // namespace Quillfern::ZoCodeInspections::Native
