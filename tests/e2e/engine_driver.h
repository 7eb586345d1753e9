// Drives the real engine the way the inspection library does (its arguments, a
// sink capturing the outputs, provider and hook); shared with the benchmarks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "contract/engine_interface.h"

namespace zotest {

using namespace Quillfern::ZoCodeInspections::Native;

/// The real engine, loaded from the build's bin folder as the library loads it.
IZOClangTidy& RealEngine();

/// One run, in the library's terms.
struct EngineRequest {
  std::string sourceFile;
  std::optional<std::string> checks;                               ///< "-checks=" when set
  std::vector<std::string> compilerArgs;                           ///< one "-extra-arg=" each
  std::vector<std::pair<std::string, std::string>> checkOptions;  ///< the "-config=" list, as the library writes it
  bool checkProfile = false;
  std::optional<std::string> mainFileFolder;
  FileProviderCallback provider;  ///< empty: none
  CheckHook hook;                 ///< empty: none
};

/// What one run wrote and answered.
struct EngineRunResult {
  int32_t exitCode = 0;
  std::string diagnostics;  ///< key "-"
  std::string errors;       ///< key 2
  std::string fixesYaml;    ///< key "zofixes.yaml"
};

/// The compiler arguments of the library's MSVC-compatibility command line
/// for a C++17 (or C) source and a 64-bit (or 32-bit) target.
std::vector<std::string> LibraryCompilerArgs(bool cplusplus = true, bool target64Bit = true);

/// The compiler arguments as the engine hands them to the native driver: what
/// the clang-tidy binary takes after "--" for the same inspection.
std::vector<std::string> NativeCompilerArgs(const std::vector<std::string>& libraryArgs);

/// The standalone argv the library sends for `request`.
std::vector<std::string> LibraryArguments(const EngineRequest& request);

/// Pointers to the texts of `arguments`, as Run takes them.
std::vector<const char*> ArgvOf(const std::vector<std::string>& arguments);

/// Runs `request` on the calling thread with every output captured.
EngineRunResult RunEngine(IZOClangTidy& engine, const EngineRequest& request);

/// Runs `arguments` as they are, with the request's provider, hook and folder.
EngineRunResult RunArguments(IZOClangTidy& engine, const std::vector<std::string>& arguments,
                             const EngineRequest& request = {});

}  // namespace zotest
