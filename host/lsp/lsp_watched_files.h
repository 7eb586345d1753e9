// The files the language server asks its client to watch: the project files
// (compile_commands.json, .clang-tidy, the --config-file), so that a build
// reconfigured or a configuration edited inspects the open documents again
// without waiting for an edit of each; and C and C++ sources and headers, so
// that a header another program changes (a checkout, a generator) inspects
// again the documents that read it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "options.h"

namespace zoci {

/// The client/registerCapability request that has the client report changes
/// of the project files and of the sources and headers, those with the
/// header extensions of `options` among them.
nlohmann::json WatchFilesRequest(const Options& options);

/// Whether one of `uris` (of workspace/didChangeWatchedFiles) names a project file.
bool NamesAProjectFile(const std::vector<std::string>& uris, const Options& options);

}  // namespace zoci
