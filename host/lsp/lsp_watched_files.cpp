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

/// A glob of the files a unit may read: C and C++ sources and headers,
/// included tables (.inc, .def) and the files of the configured header extensions.
std::string SourcesGlob(const Options& options) {
  std::vector<std::string> extensions = {"c",   "cc",  "cpp", "cxx", "c++", "h",   "hh",  "hpp", "hxx",
                                         "h++", "inl", "ipp", "tcc", "tpp", "inc", "def", "ixx", "cppm"};
  for (const std::string& given : options.settings.headerExtensions) {
    const std::string extension = given.starts_with('.') ? given.substr(1) : given;
    const bool plain = !extension.empty() && extension.find_first_of(",{}*?[]/\\") == std::string::npos;
    if (plain && std::find(extensions.begin(), extensions.end(), extension) == extensions.end())
      extensions.push_back(extension);
  }
  std::string glob = "**/*.{";
  for (const std::string& extension : extensions) glob.append(extension).append(",");
  glob.back() = '}';
  return glob;
}

}  // namespace

json WatchFilesRequest(const Options& options) {
  json watchers = json::array();
  for (const std::string& name : ProjectFileNames(options)) watchers.push_back({{"globPattern", "**/" + name}});
  watchers.push_back({{"globPattern", SourcesGlob(options)}});
  const json registration = {{"id", "zoci/watched-files"},
                             {"method", "workspace/didChangeWatchedFiles"},
                             {"registerOptions", {{"watchers", std::move(watchers)}}}};
  return {{"jsonrpc", "2.0"},
          {"id", "zoci/register/watched-files"},
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
