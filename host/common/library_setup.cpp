// The library and the project's files for a zoci command (see library_setup.h).
#include "library_setup.h"

#include <filesystem>
#include <system_error>

#include "hostlib/zoipc.h"
#include "interop/interop2.h"

namespace zoci {

namespace Native = Quillfern::ZoCodeInspections::Native;

std::optional<std::string> InitializeLibrary(const Options& options, std::string& error) {
  std::error_code failed;
  if (!options.tempDir.empty() && !std::filesystem::is_directory(options.tempDir, failed)) {
    error = "--temp-dir " + options.tempDir + " is not a folder";
    return std::nullopt;
  }
  zoIPC::host::SetConvertToUtf8(options.convertToUtf8);
  zoIPC::host::SetAnsiCodePage(options.ansiCodePage);
  std::string version = Native::interop2().Initialize(options.tempDir, options.detailed);
  if (version.starts_with("error: ")) {
    error = version.substr(7);
    return std::nullopt;
  }
  return version;
}

bool LoadProjectFiles(const Options& options, std::optional<TidyConfig>& config,
                      std::optional<CompileDatabase>& database, std::string& error) {
  if (!options.configFile.empty()) {
    config = ReadTidyConfig(options.configFile, error);
    if (!config) return false;
  }
  if (!options.compileDatabaseDir.empty()) {
    database = CompileDatabase::Load(options.compileDatabaseDir, error);
    if (!database) return false;
  }
  return true;
}

}  // namespace zoci
