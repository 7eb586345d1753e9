#include "options_provider.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include <ClangTidyOptions.h>
#include <llvm/Support/MemoryBufferRef.h>
#include <llvm/Support/SourceMgr.h>
#include <llvm/Support/raw_ostream.h>

namespace zoe {

namespace {

using clang::tidy::ClangTidyGlobalOptions;
using clang::tidy::ClangTidyOptions;

constexpr const char* kDefaultChecks = "clang-diagnostic-*,clang-analyzer-*";

/// The user name that checks put into TODO comments; read once, because
/// other threads of the host may change the environment while runs go on.
const std::optional<std::string>& UserName() {
  static const std::optional<std::string> user = [] {
    for (const char* variable : {"USER", "USERNAME"}) {
      if (const char* value = std::getenv(variable)) return std::optional<std::string>(value);
    }
    return std::optional<std::string>();
  }();
  return user;
}

ClangTidyOptions DefaultOptions(const RunArguments& arguments) {
  ClangTidyOptions options;
  options.Checks = kDefaultChecks;
  options.WarningsAsErrors = "";
  options.HeaderFilterRegex = arguments.headerFilter.value_or("");
  options.SystemHeaders = false;
  options.FormatStyle = "none";
  options.User = UserName();
  return options;
}

ClangTidyOptions OverrideOptions(const RunArguments& arguments) {
  ClangTidyOptions options;
  if (arguments.checks) options.Checks = *arguments.checks;
  if (arguments.headerFilter) options.HeaderFilterRegex = *arguments.headerFilter;
  return options;
}

/// Parses configuration text, reporting problems on `errors`.
llvm::ErrorOr<ClangTidyOptions> ParseConfiguration(llvm::MemoryBufferRef text, llvm::raw_ostream& errors) {
  return clang::tidy::parseConfigurationWithDiags(
      text, [&errors](const llvm::SMDiagnostic& diagnostic) { diagnostic.print(nullptr, errors, false); });
}

/// A provider that reads ".clang-tidy" files through the run's file system
/// and reports their errors on the run's error stream. A file that does not
/// parse is passed over, as the binary passes it over.
template <class Provider>
class QuietConfigFiles final : public Provider {
 public:
  template <class... Args>
  QuietConfigFiles(llvm::raw_ostream& errors, Args&&... args) : Provider(std::forward<Args>(args)...) {
    this->ConfigHandlers.clear();
    this->ConfigHandlers.emplace_back(".clang-tidy", [&errors](llvm::MemoryBufferRef text) {
      llvm::ErrorOr<ClangTidyOptions> parsed = ParseConfiguration(text, errors);
      if (parsed) return parsed;
      errors << "Error parsing " << text.getBufferIdentifier() << ": " << parsed.getError().message() << "\n";
      ClangTidyOptions passOver;
      passOver.InheritParentConfig = true;
      return llvm::ErrorOr<ClangTidyOptions>(std::move(passOver));
    });
  }
};

}  // namespace

std::unique_ptr<clang::tidy::ClangTidyOptionsProvider> MakeOptionsProvider(
    const RunArguments& arguments, llvm::IntrusiveRefCntPtr<llvm::vfs::FileSystem> files, llvm::raw_ostream& errors) {
  if (!arguments.config) {
    return std::make_unique<QuietConfigFiles<clang::tidy::FileOptionsProvider>>(
        errors, ClangTidyGlobalOptions(), DefaultOptions(arguments), OverrideOptions(arguments), std::move(files));
  }
  llvm::ErrorOr<ClangTidyOptions> config =
      ParseConfiguration(llvm::MemoryBufferRef(*arguments.config, "<command-line-config>"), errors);
  if (!config) {
    errors << "Error: invalid configuration specified.\n" << config.getError().message() << "\n";
    return nullptr;
  }
  return std::make_unique<QuietConfigFiles<clang::tidy::ConfigOptionsProvider>>(
      errors, ClangTidyGlobalOptions(), ClangTidyOptions::getDefaults().merge(DefaultOptions(arguments), 0),
      std::move(*config), OverrideOptions(arguments), std::move(files));
}

}  // namespace zoe
