// .clang-tidy reading (see tidy_config.h). Only the keys zoci uses are read;
// other top-level keys are skipped with their indented blocks.
#include "tidy_config.h"

#include "file_io.h"

#include <filesystem>
#include <vector>

namespace zoci {
namespace {

std::string_view Trim(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

/// A scalar without its quotes (and without a trailing comment when unquoted).
std::string Scalar(std::string_view text) {
  text = Trim(text);
  if (text.size() >= 2 && (text.front() == '\'' || text.front() == '"') && text.back() == text.front()) {
    return std::string(text.substr(1, text.size() - 2));
  }
  if (const size_t hash = text.find(" #"); hash != std::string_view::npos) text = Trim(text.substr(0, hash));
  return std::string(text);
}

size_t Indent(std::string_view line) { return line.find_first_not_of(' '); }

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

bool IsBlank(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  return trimmed.empty() || trimmed.front() == '#';
}

/// The lines after `i` that are indented (the block of a top-level key).
std::vector<std::string_view> Block(const std::vector<std::string_view>& lines, size_t& i) {
  std::vector<std::string_view> block;
  while (i + 1 < lines.size() && (IsBlank(lines[i + 1]) || Indent(lines[i + 1]) > 0)) {
    if (!IsBlank(lines[++i])) block.push_back(Trim(lines[i]));
  }
  return block;
}

std::string JoinGlobs(std::string_view inlineValue, const std::vector<std::string_view>& block) {
  std::string checks = inlineValue == ">" || inlineValue == "|" || inlineValue == ">-" || inlineValue == "|-"
                           ? std::string()
                           : Scalar(inlineValue);
  for (std::string_view line : block) checks += Scalar(line);
  return checks;
}

/// Reads "- key: K" / "value: V" pairs and "K: V" map entries.
bool ReadOptions(const std::vector<std::string_view>& block, std::map<std::string, std::string>& options) {
  std::string pendingKey;
  for (std::string_view line : block) {
    if (line.starts_with("- ")) line = Trim(line.substr(2));
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string name = Scalar(line.substr(0, colon));
    const std::string value = Scalar(line.substr(colon + 1));
    if (name == "key") pendingKey = value;
    else if (name == "value" && !pendingKey.empty()) options[pendingKey] = value, pendingKey.clear();
    else if (name != "key" && name != "value") options[name] = value;
  }
  return true;
}

}  // namespace

std::optional<TidyConfig> ParseTidyConfig(std::string_view text, std::string& error) {
  TidyConfig config;
  const std::vector<std::string_view> lines = Lines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (IsBlank(line) || Trim(line) == "---" || Trim(line) == "...") continue;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || Indent(line) > 0) {
      error = "line " + std::to_string(i + 1) + " is not a 'Key: value' line";
      return std::nullopt;
    }
    const std::string_view key = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    const size_t keyLine = i;
    const std::vector<std::string_view> block = Block(lines, i);
    if (key == "Checks") config.checks = JoinGlobs(value, block);
    if (key == "WarningsAsErrors") config.warningsAsErrors = JoinGlobs(value, block);
    if (key == "FormatStyle") config.formatStyle = Scalar(value);
    if (key == "HeaderFilterRegex") config.headerFilter.include = Scalar(value);
    if (key == "ExcludeHeaderFilterRegex") config.headerFilter.exclude = Scalar(value);
    if (key == "InheritParentConfig") config.inheritsParent = Scalar(value) == "true";
    if (key == "CheckOptions" && !ReadOptions(block, config.checkOptions)) {
      error = "CheckOptions at line " + std::to_string(keyLine + 1) + " is neither a key/value list nor a map";
      return std::nullopt;
    }
  }
  return config;
}

}  // namespace zoci

namespace zoci {

std::optional<TidyConfig> ReadTidyConfig(const std::string& path, std::string& error) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes, error)) return std::nullopt;
  auto config = ParseTidyConfig(bytes, error);
  if (!config) error = path + ": " + error;
  return config;
}

std::optional<std::string> FindTidyConfigFile(const std::string& source) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  fs::path folder = fs::absolute(source, ignored).lexically_normal().parent_path();
  while (true) {
    const fs::path candidate = folder / kTidyConfigName;
    if (fs::is_regular_file(candidate, ignored)) return candidate.string();
    if (!folder.has_relative_path()) return std::nullopt;
    folder = folder.parent_path();
  }
}

bool InheritFromAbove(TidyConfig& config, const std::string& configFile, std::string& error) {
  bool inherits = config.inheritsParent;
  std::string below = configFile;
  while (inherits) {
    // The file's folder, as if it were a source, names the folder above for the search.
    const std::optional<std::string> above = FindTidyConfigFile(std::filesystem::path(below).parent_path().string());
    if (!above || *above == below) break;
    const std::optional<TidyConfig> parent = ReadTidyConfig(*above, error);
    if (!parent) return false;
    config.headerFilter = Overlaid(parent->headerFilter, config.headerFilter);
    if (!config.formatStyle) config.formatStyle = parent->formatStyle;
    if (parent->warningsAsErrors) {
      config.warningsAsErrors = JoinedGlobs(*parent->warningsAsErrors, config.warningsAsErrors.value_or(""));
    }
    inherits = parent->inheritsParent;
    below = *above;
  }
  return true;
}

std::string JoinedGlobs(const std::string& first, const std::string& then) {
  return first + (first.empty() || then.empty() ? "" : ",") + then;
}

}  // namespace zoci
