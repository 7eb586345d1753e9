// Sample files and helpers shared by the end-to-end tests, and the clang-tidy
// binary of the engine's LLVM as their reference: the same request run by the
// binary, the engine's own parts of the outputs left out before comparing.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine_driver.h"
#include "support/temp_dir.h"

namespace zotest {

/// Full path of a file in the samples folder.
std::string SamplePath(const std::string& name);

/// A request for `file` under the library's command line (C++ or C by its
/// extension), its folder as the main file's folder.
EngineRequest FileRequest(const std::filesystem::path& file, const std::string& checks);

/// Number of lines of `text` that contain `fragment`.
int CountLines(const std::string& text, const std::string& fragment);

/// Runs the binary with the request's arguments from the main file's folder;
/// `scratch` receives its outputs, given back in the engine's terms.
EngineRunResult RunReference(const EngineRequest& request, const TempDir& scratch);

/// The error stream without its closing summary, whose counts are the engine's own.
std::string WithoutSummary(const std::string& errors);

/// The standard output without the engine's run-log lines (its preamble use).
std::string WithoutRunLog(const std::string& diagnostics);

/// The run log's preamble use ("built", "reused", ...); empty when none.
std::string PreambleUse(const std::string& diagnostics);

/// Expects the engine's run to give the binary's outputs and exit code.
void ExpectTheBinarysOutputs(const EngineRunResult& engine, const EngineRunResult& reference);

}  // namespace zotest
