#include "tool_outputs.h"

#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace difftest {
namespace {

/// The value of a YAML scalar as clang-tidy writes them: plain, single-quoted
/// ('' for a quote) or double-quoted (backslash escapes).
std::string Scalar(const std::string& text) {
  if (text.empty() || (text[0] != '\'' && text[0] != '"')) return text;
  const char quote = text[0];
  std::string value;
  for (size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == quote && quote == '\'' && i + 1 < text.size() && text[i + 1] == '\'') {
      value += '\'';
      ++i;
    } else if (c == quote) {
      return value;
    } else if (c == '\\' && quote == '"' && i + 1 < text.size()) {
      const char escaped = text[++i];
      switch (escaped) {
        case 'n': value += '\n'; break;
        case 't': value += '\t'; break;
        case 'r': value += '\r'; break;
        case '0': value += '\0'; break;
        default: value += escaped; break;
      }
    } else {
      value += c;
    }
  }
  throw std::runtime_error("unterminated YAML scalar: " + text);
}

/// Splits "  key:   value" into its indentation, key and value.
bool KeyValue(const std::string& line, size_t& indent, std::string& key, std::string& value) {
  indent = line.find_first_not_of(' ');
  const size_t colon = line.find(':', indent);
  if (indent == std::string::npos || colon == std::string::npos) return false;
  key = line.substr(indent, colon - indent);
  const size_t start = line.find_first_not_of(' ', colon + 1);
  value = start == std::string::npos ? "" : Scalar(line.substr(start));
  return true;
}

std::string PercentDecoded(const std::string& uri) {
  std::string path;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size()) {
      path += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      path += uri[i];
    }
  }
  return path;
}

std::string PathOfUri(const nlohmann::json& artifact) {
  const std::string uri = artifact.at("location").at("uri").get<std::string>();
  return PercentDecoded(uri.rfind("file://", 0) == 0 ? uri.substr(7) : uri);
}

}  // namespace

std::vector<Reported> ReadExportedFixes(const std::string& yaml) {
  // A diagnostic starts at "  - DiagnosticName:"; its own message, file and
  // offset sit six spaces deep, notes and replacements deeper.
  std::vector<Reported> diagnostics;
  std::istringstream lines(yaml);
  std::string line, key, value;
  size_t indent = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("  - DiagnosticName:", 0) == 0 && KeyValue(line.substr(4), indent, key, value)) {
      diagnostics.emplace_back().check = value;
      continue;
    }
    if (diagnostics.empty() || !KeyValue(line, indent, key, value)) continue;
    Reported& last = diagnostics.back();
    if (indent == 4 && key == "Level") last.level = value;
    if (indent != 6) continue;
    if (key == "Message") last.message = value;
    if (key == "FilePath") last.file = value;
    if (key == "FileOffset") last.offset = std::stoul(value);
  }
  return diagnostics;
}

std::vector<Reported> ReadSarif(const std::string& json, std::vector<std::string>& failures) {
  const nlohmann::json run = nlohmann::json::parse(json).at("runs").at(0);
  const nlohmann::json& artifacts = run.at("artifacts");
  for (const auto& invocation : run.at("invocations")) {
    for (const auto& notification : invocation.value("toolExecutionNotifications", nlohmann::json::array())) {
      failures.push_back(notification.at("message").at("text").get<std::string>());
    }
  }
  std::vector<Reported> results;
  for (const auto& result : run.at("results")) {
    const auto& location = result.at("locations").at(0).at("physicalLocation");
    results.push_back({.file = PathOfUri(artifacts.at(location.at("artifactLocation").at("index").get<size_t>())),
                       .check = result.at("ruleId").get<std::string>(),
                       .message = result.at("message").at("text").get<std::string>(),
                       .level = result.at("level").get<std::string>(),
                       .offset = location.at("region").at("charOffset").get<size_t>()});
  }
  return results;
}

}  // namespace difftest
