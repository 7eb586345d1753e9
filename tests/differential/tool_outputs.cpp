#include "tool_outputs.h"

#include <cctype>
#include <nlohmann/json.hpp>
#include <sstream>

namespace difftest {
namespace {

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

std::vector<Reported> ReadClangTidyOutput(const std::string& output) {
  // "FILE:LINE:COLUMN: LEVEL: MESSAGE [CHECK]"; notes and the source excerpts
  // under each line are left out.
  const std::pair<std::string, std::string> levels[] = {
      {": warning: ", "warning"}, {": error: ", "error"}, {": fatal error: ", "error"}};
  std::vector<Reported> diagnostics;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    for (const auto& [marker, level] : levels) {
      const size_t at = line.find(marker), check = line.rfind(" [");
      if (at == std::string::npos || at == 0 || check < at || line.back() != ']') continue;
      const size_t columnAt = line.rfind(':', at - 1), lineAt = line.rfind(':', columnAt - 1);
      if (columnAt == 0 || lineAt == std::string::npos || !std::isdigit(line[lineAt + 1])) continue;
      diagnostics.push_back({.file = line.substr(0, lineAt),
                             .check = line.substr(check + 2, line.size() - check - 3),
                             .message = line.substr(at + marker.size(), check - at - marker.size()),
                             .level = level,
                             .offset = std::stoul(line.substr(columnAt + 1)),
                             .line = std::stoul(line.substr(lineAt + 1))});
    }
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
