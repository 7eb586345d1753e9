#include "service/engine_loader.h"
#include "support/scripted_engine.h"

namespace zotest {

EngineInstallation::EngineInstallation(IZOClangTidy& engine) { SetEngineForTesting(&engine); }

EngineInstallation::~EngineInstallation() { SetEngineForTesting(nullptr); }

}  // namespace zotest
