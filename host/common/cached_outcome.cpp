// Stored outcomes and recipe keys (see cached_outcome.h).
#include "cached_outcome.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "file_digests.h"
#include "sha256.h"
#include "tidy_config.h"

namespace zoci {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

json EditsJson(const std::vector<TextEdit>& edits) {
  json list = json::array();
  for (const TextEdit& edit : edits) list.push_back({edit.offset, edit.length, edit.text});
  return list;
}

std::vector<TextEdit> EditsFrom(const json& list) {
  std::vector<TextEdit> edits;
  for (const json& edit : list) edits.push_back({edit.at(0), edit.at(1), edit.at(2)});
  return edits;
}

json DiagnosticJson(const Diagnostic& d) {
  // The claim token is left out: it names a fix inside the run that made it.
  return {{"file", d.file},          {"check", d.check},
          {"aliases", d.aliases},    {"message", d.message},
          {"error", d.error},        {"promoted", d.promoted},
          {"offset", d.offset},      {"length", d.length},
          {"fix", EditsJson(d.fix)}, {"ownFix", EditsJson(d.ownFix)}};
}

Diagnostic DiagnosticFrom(const json& j) {
  Diagnostic d;
  d.file = j.at("file");
  d.check = j.at("check");
  d.aliases = j.value("aliases", std::vector<std::string>());
  d.message = j.at("message");
  d.error = j.at("error");
  d.promoted = j.at("promoted");
  d.offset = j.at("offset");
  d.length = j.at("length");
  d.fix = EditsFrom(j.at("fix"));
  d.ownFix = EditsFrom(j.at("ownFix"));
  return d;
}

/// The digest of every .clang-tidy file from `file`'s folder up to the root,
/// and which are missing.
json ConfigChain(const std::string& file) {
  static FileDigests digests;
  json chain = json::array();
  std::error_code failed;
  fs::path folder = fs::absolute(file, failed).lexically_normal().parent_path();
  while (true) {
    chain.push_back(digests.Of((folder / kTidyConfigName).string()).digest);
    if (folder == folder.parent_path() || folder.empty()) break;
    folder = folder.parent_path();
  }
  return chain;
}

json SettingsJson(const InspectionSettings& s) {
  return {s.excludedFolders,
          s.includeFolders,
          s.forcedIncludes,
          s.defines,
          s.additionalArguments,
          s.platformToolset,
          s.ideVersion,
          s.skipErrors,
          s.keepFixlessDiagnostics,
          s.profileChecks,
          s.target64Bit,
          s.skipRun,
          s.compileAsC,
          s.languageStandard,
          s.headerForcedInclude,
          s.extensionlessIsHeader,
          s.headerExtensions,
          s.bomlessIsUtf8};
}

/// Size and last-write time of the files beside the running program (zoci,
/// the library, the engine).
json OwnBinaries() {
  json list = json::array();
  std::error_code failed;
  const fs::path program = fs::read_symlink("/proc/self/exe", failed);
  if (failed) return list;
  for (const fs::directory_entry& entry : fs::directory_iterator(program.parent_path(), failed)) {
    const std::string name = entry.path().filename().string();
    if (entry.path() != program && name.find(".so") == std::string::npos) continue;
    const auto size = entry.file_size(failed);
    const auto time = entry.last_write_time(failed).time_since_epoch().count();
    if (!failed) list.push_back({name, size, time});
  }
  return list;
}

/// The GCC installations (their version folders) the engine may take headers from.
json GccInstallations() {
  json list = json::array();
  std::error_code failed;
  for (const char* root : {"/usr/lib/gcc", "/usr/lib64/gcc"}) {
    for (const fs::directory_entry& target : fs::directory_iterator(root, failed)) {
      for (const fs::directory_entry& version : fs::directory_iterator(target.path(), failed)) {
        list.push_back(version.path().string());
      }
    }
  }
  std::sort(list.begin(), list.end());
  return list;
}

json CompilerEnvironment() {
  json list = json::array();
  for (const char* name : {"CPATH", "C_INCLUDE_PATH", "CPLUS_INCLUDE_PATH", "OBJC_INCLUDE_PATH", "SDKROOT"}) {
    const char* value = std::getenv(name);
    list.push_back(value != nullptr ? json(value) : json());
  }
  return list;
}

/// A text, or null when absent (apart from every text).
json OrNull(const std::optional<std::string>& text) { return text ? json(*text) : json(); }

}  // namespace

std::string OutcomeRecord(const StoredOutcome& outcome) {
  const InspectedFile& file = outcome.file;
  json diagnostics = json::array();
  for (const Diagnostic& diagnostic : file.diagnostics) diagnostics.push_back(DiagnosticJson(diagnostic));
  return json{{"path", file.path},          {"failed", file.failed},     {"error", file.error},
              {"note", file.note},          {"warnings", file.warnings}, {"diagnostics", std::move(diagnostics)},
              {"misread", outcome.misread}, {"sources", outcome.sources}}
      .dump();
}

std::optional<StoredOutcome> ParseOutcomeRecord(const std::string& record) {
  try {
    const json j = json::parse(record);
    StoredOutcome outcome;
    outcome.file.path = j.at("path");
    outcome.file.failed = j.at("failed");
    outcome.file.error = j.at("error");
    outcome.file.note = j.at("note");
    outcome.file.warnings = j.at("warnings").get<std::vector<std::string>>();
    for (const json& diagnostic : j.at("diagnostics")) outcome.file.diagnostics.push_back(DiagnosticFrom(diagnostic));
    outcome.misread = j.at("misread").get<std::set<std::string>>();
    outcome.sources = j.at("sources").get<std::vector<std::string>>();
    return outcome;
  } catch (const json::exception&) {
    return std::nullopt;
  }
}

std::string RecipeKey(const RunRecipe& recipe) {
  const Options& o = *recipe.options;
  const json key = {
      recipe.tool,
      recipe.workingFolder,
      recipe.path,
      recipe.mainDigest,
      SettingsJson(*recipe.settings),
      recipe.config->checks,
      recipe.config->checkOptions,
      recipe.config->warningsAsErrors,
      {OrNull(recipe.config->headerFilterTexts.include), OrNull(recipe.config->headerFilterTexts.exclude)},
      ConfigChain(recipe.path),
      // What the host makes of the results.
      {o.modeFlags, o.fixlessChecks, o.convertToUtf8, o.ansiCodePage, o.maxFileBytes, o.format == OutputFormat::text,
       o.fix, o.onlyChecks},
  };
  return Sha256Hex(key.dump());
}

std::string ToolIdentity(const std::string& engineVersion) {
  try {
    return json{engineVersion, OwnBinaries(), GccInstallations(), CompilerEnvironment()}.dump();
  } catch (const std::exception&) {
    // A folder that vanished while listed, a name that is not UTF-8: an
    // identity no other run shares.
    return json{engineVersion, Sha256Hex(std::to_string(fs::file_time_type::clock::now().time_since_epoch().count()))}
        .dump();
  }
}

}  // namespace zoci
