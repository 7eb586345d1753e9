// Finds the engine library and hands out its engine object. The library is
// loaded on the first engine call, from this library's own folder, falling
// back to the system's default search (on Windows through a delayed import
// whose notification hook does the same). A seam lets tests install an engine.
#pragma once

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

/// The engine object, loading the engine library on first use.
/// Throws EngineUnavailable when it cannot be loaded.
IZOClangTidy& Engine();

/// Result of one attempt to load the engine.
struct EngineLoad {
  IZOClangTidy* engine = nullptr;
  std::string error;  ///< set when engine is null
};

/// Loads the engine library from `folder` (with trailing separator), then by
/// the default search; tries the release name before the debug name.
EngineLoad LoadEngineFrom(const std::string& folder);

/// Test seam: every later Engine() call returns `engine`; nullptr restores
/// the normal loading.
void SetEngineForTesting(IZOClangTidy* engine);

}  // namespace Quillfern::ZoCodeInspections::Native
