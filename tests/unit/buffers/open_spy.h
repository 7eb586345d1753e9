// A file opener for the code under test that counts the opens of one path
// and can replace their outcome; other paths open as usual.
#pragma once

#include <atomic>
#include <filesystem>
#include <mutex>
#include <optional>

#include "buffers/file_loading.h"

namespace zotest {

class OpenSpy {
 public:
  using OpenOutcome = Quillfern::ZoCodeInspections::Native::Platform::OpenOutcome;

  /// Spies on `path`; a given `outcome` replaces that of every open of it.
  explicit OpenSpy(const std::filesystem::path& path, std::optional<OpenOutcome> outcome = std::nullopt)
      : path_(path.u16string()), outcome_(outcome) {}
  OpenSpy(const OpenSpy&) = delete;
  OpenSpy& operator=(const OpenSpy&) = delete;

  /// The opener to hand over; it must not outlive the spy.
  Quillfern::ZoCodeInspections::Native::FileOpener Opener() {
    namespace Platform = Quillfern::ZoCodeInspections::Native::Platform;
    return [this](const std::u16string& opened) {
      if (opened == path_) {
        ++opens_;
        std::lock_guard lock(mutex_);
        if (outcome_) return Platform::OpenResult{*outcome_, Platform::File{}};
      }
      return Platform::OpenForRead(opened);
    };
  }

  /// Opens since the last call.
  int TakeOpens() { return opens_.exchange(0); }
  void SetOutcome(std::optional<OpenOutcome> outcome) {
    std::lock_guard lock(mutex_);
    outcome_ = outcome;
  }

 private:
  std::u16string path_;
  std::mutex mutex_;
  std::optional<OpenOutcome> outcome_;
  std::atomic<int> opens_{0};
};

}  // namespace zotest
