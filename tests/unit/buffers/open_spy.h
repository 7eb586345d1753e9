// Counts the opens of one path through the platform layer's test seam, and
// can replace their outcome.
#pragma once

#include <atomic>
#include <filesystem>
#include <optional>

#include "buffers/encodings.h"
#include "platform/platform.h"

namespace zotest {

class OpenSpy {
 public:
  using OpenOutcome = Quillfern::ZoCodeInspections::Native::Platform::OpenOutcome;

  /// Spies on `path`; a given `outcome` replaces that of every open of it.
  OpenSpy(const std::filesystem::path& path, std::optional<OpenOutcome> outcome = std::nullopt)
      : path_(path.u16string()), outcome_(outcome) {
    Quillfern::ZoCodeInspections::Native::Platform::SetOpenInterceptor(
        [this](const std::u16string& opened) -> std::optional<OpenOutcome> {
          if (opened != path_) return std::nullopt;
          ++opens_;
          return outcome_;
        });
  }
  ~OpenSpy() { Quillfern::ZoCodeInspections::Native::Platform::SetOpenInterceptor(nullptr); }
  OpenSpy(const OpenSpy&) = delete;
  OpenSpy& operator=(const OpenSpy&) = delete;

  /// Opens since the last call.
  int TakeOpens() { return opens_.exchange(0); }
  void SetOutcome(std::optional<OpenOutcome> outcome) { outcome_ = outcome; }

 private:
  std::u16string path_;
  std::optional<OpenOutcome> outcome_;
  std::atomic<int> opens_{0};
};

}  // namespace zotest
