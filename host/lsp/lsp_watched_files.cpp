// Which files the language server watches (see lsp_watched_files.h).
#include "lsp_watched_files.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "compile_database.h"
#include "file_uri.h"
#include "tidy_config.h"

namespace zoci {
namespace {

using nlohmann::json;

/// The file names of the project files: any folder's, as the nearest above a source counts.
std::vector<std::string> ProjectFileNames(const Options& options) {
  std::vector<std::string> names = {kCompileDatabaseName, kTidyConfigName};
  if (!options.configFile.empty()) names.push_back(std::filesystem::path(options.configFile).filename().string());
  return names;
}

}  // namespace

json WatchProjectFilesRequest(const Options& options) {
  json watchers = json::array();
  for (const std::string& name : ProjectFileNames(options)) watchers.push_back({{"globPattern", "**/" + name}});
  const json registration = {{"id", "zoci/project-files"},
                             {"method", "workspace/didChangeWatchedFiles"},
                             {"registerOptions", {{"watchers", std::move(watchers)}}}};
  return {{"jsonrpc", "2.0"},
          {"id", "zoci/register/project-files"},
          {"method", "client/registerCapability"},
          {"params", {{"registrations", json::array({registration})}}}};
}

bool NamesAProjectFile(const std::vector<std::string>& uris, const Options& options) {
  const std::vector<std::string> names = ProjectFileNames(options);
  return std::any_of(uris.begin(), uris.end(), [&names](const std::string& uri) {
    const std::optional<std::string> path = PathOfUri(uri);
    const std::string name = path ? std::filesystem::path(*path).filename().string() : "";
    return std::find(names.begin(), names.end(), name) != names.end();
  });
}

}  // namespace zoci
