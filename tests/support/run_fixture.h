// A parse through the whole library against the scripted engine: files in a
// temporary folder, a fresh service that runs the scripted engine, and helpers
// to build scripts.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "interop/interop2.h"
#include "platform/string_printf.h"
#include "service/service.h"
#include "support/scripted_engine.h"
#include "support/temp_dir.h"

namespace zotest {

class RunTest : public ::testing::Test {
 protected:
  /// A script whose run writes `yaml` as the fixes file and whose reader
  /// answers `fixes`; by default the run exports no fixes file.
  static EngineScript ScriptWithFixes(const std::string& yaml = "", std::optional<FixesFile> fixes = std::nullopt) {
    EngineScript script;
    script.outputs = {{OutputKey{std::string("zofixes.yaml")}, yaml}};
    script.readFixes = [fixes](const std::string&) { return fixes; };
    return script;
  }
  /// A script that calls `during` inside its run.
  static EngineScript ScriptDuring(std::function<void()> during) {
    EngineScript script = ScriptWithFixes();
    script.duringRun = std::move(during);
    return script;
  }
  /// A diagnostic of `file` whose fix replaces the byte at `offset` by "nullptr".
  static FixesDiagnostic Nullptr(const std::string& file, uint32_t offset, const std::string& message = "use nullptr") {
    FixesDiagnostic diagnostic{"modernize-use-nullptr", message, file, offset, 0, {}};
    diagnostic.fix[file].insert(FixReplacement{file, offset, 1, "nullptr"});
    return diagnostic;
  }

  std::unique_ptr<RunResult> Parse(const std::string& path, const InspectionSettings& settings = {},
                                   uint32_t modeFlags = 0, const UnsavedBuffers& buffers = {}) {
    std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(path, settings));
    return parser->Parse(modeFlags, buffers, checks, fixlessChecks, checkOptions);
  }

  ScriptedEngine engine;
  ZoCodeInspectionsInterop2 service{[this]() -> IZOClangTidy& { return engine; }};
  TempDir dir;
  std::string checks = "modernize-*";
  std::string fixlessChecks;
  CheckOptions checkOptions;
};

}  // namespace zotest
