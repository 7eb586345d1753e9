// A language server's project files, followed on disk (see lsp_project.h).
#include "lsp_project.h"

#include <filesystem>
#include <optional>

#include "compile_database.h"
#include "library_setup.h"

namespace zoci {

namespace fs = std::filesystem;

std::string FollowedProject::Start(const Options& options) {
  options_ = &options;
  stamp_ = Stamp();
  std::string error;
  inspector_ = Read(error);
  return error;
}

std::shared_ptr<const Inspector> FollowedProject::Current(std::string& warning) {
  std::lock_guard lock(mutex_);
  if (std::string stamp = Stamp(); stamp != stamp_) {
    stamp_ = std::move(stamp);
    std::string error;
    if (std::shared_ptr<const Inspector> read = Read(error)) inspector_ = std::move(read);
    failure_ = error;
  }
  if (!failure_.empty())
    warning = "a project file changed and cannot be read (" + failure_ + "): the run uses it as it was";
  return inspector_;
}

std::string FollowedProject::Stamp() const {
  std::string stamp;
  for (const fs::path& file :
       {options_->compileDatabaseDir.empty() ? fs::path() : CompileDatabase::FileIn(options_->compileDatabaseDir),
        fs::path(options_->configFile)}) {
    std::error_code timeError, sizeError;
    const auto written = fs::last_write_time(file, timeError);
    const auto size = fs::file_size(file, sizeError);
    stamp += timeError || sizeError
                 ? "none;"
                 : std::to_string(written.time_since_epoch().count()) + "," + std::to_string(size) + ";";
  }
  return stamp;
}

std::shared_ptr<const Inspector> FollowedProject::Read(std::string& error) const {
  std::optional<TidyConfig> config;
  std::optional<CompileDatabase> database;
  if (!LoadProjectFiles(*options_, config, database, error)) return nullptr;
  return std::make_shared<const Inspector>(*options_, std::move(database), std::move(config));
}

}  // namespace zoci
