// Finds the engine library and hands out its engine object. The library is
// loaded on the first engine call, from this library's own folder, falling
// back to the system's default search (on Windows through a delayed import
// whose notification hook does the same).
#pragma once

#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>

#include "contract/engine_interface.h"

namespace Quillfern::ZoCodeInspections::Native {

/// The engine library could not be loaded; the message names the file and
/// every place tried.
class EngineUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Loads the engine library from this library's folder or by the default
/// search and returns its engine object. Throws EngineUnavailable.
IZOClangTidy& LoadEngine();

/// Makes the engine object; throws EngineUnavailable when there is none.
using EngineFactory = std::function<IZOClangTidy&()>;

/// A service's engine: made by its factory on the first call that needs it
/// and kept once made. Safe to use from several threads.
class EngineHandle {
 public:
  explicit EngineHandle(EngineFactory factory = LoadEngine) : factory_(std::move(factory)) {}

  /// The engine; throws EngineUnavailable when it cannot be made (a later
  /// call tries again).
  IZOClangTidy& Get();

 private:
  EngineFactory factory_;
  std::mutex mutex_;
  IZOClangTidy* engine_ = nullptr;
};

/// Result of one attempt to load the engine.
struct EngineLoad {
  IZOClangTidy* engine = nullptr;
  std::string error;  ///< set when engine is null
};

/// Loads the engine library from `folder` (with trailing separator), then by
/// the default search; tries the release name before the debug name.
EngineLoad LoadEngineFrom(const std::string& folder);

}  // namespace Quillfern::ZoCodeInspections::Native
