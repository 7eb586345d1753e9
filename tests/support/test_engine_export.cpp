// The scripted engine exported the way the real engine library exports
// itself, for tests that load an engine from disk.
#include "support/scripted_engine.h"

namespace clang::tidy {

Quillfern::ZoCodeInspections::Native::IZOClangTidy& clangtidy() {
  static zotest::ScriptedEngine engine{[] {
    zotest::EngineScript script;
    script.versionText = "testengine";
    return script;
  }()};
  return engine;
}

}  // namespace clang::tidy
