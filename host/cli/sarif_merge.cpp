#include "sarif_merge.h"

#include <map>

#include "machine_report.h"

namespace zoci {
namespace {

/// A table of named entries (rules by id, artifacts by URI) with their new indices.
struct Table {
  Json entries = Json::array();
  std::map<std::string, int> index;

  int Add(const std::string& name, const Json& entry) {
    const auto [it, added] = index.emplace(name, static_cast<int>(entries.size()));
    if (added) entries.push_back(entry);
    return it->second;
  }
};

/// Renumbers every artifact index below `node` through `artifactMap` (old index to new).
void RenumberArtifacts(Json& node, const std::vector<int>& artifactMap) {
  if (node.is_object()) {
    for (const auto& [key, value] : node.items()) {
      if (key == "artifactLocation" && value.is_object() && value.contains("index") &&
          value["index"].is_number_integer()) {
        const int old = value["index"].get<int>();
        if (old >= 0 && old < static_cast<int>(artifactMap.size()))
          value["index"] = artifactMap[static_cast<size_t>(old)];
      }
      RenumberArtifacts(value, artifactMap);
    }
  } else if (node.is_array()) {
    for (Json& element : node) RenumberArtifacts(element, artifactMap);
  }
}

/// Everything the merged run gathers from the inputs' runs.
struct MergedRun {
  Json tool;
  Json columnKind;
  Table rules, artifacts;
  Json results = Json::array();
  Json notifications = Json::array();
  bool successful = true;

  void Add(const Json& run) {
    if (tool.is_null()) tool = run.value("tool", Json::object());
    if (columnKind.is_null() && run.contains("columnKind")) columnKind = run["columnKind"];
    std::vector<int> ruleMap;
    std::vector<int> artifactMap;
    for (const Json& rule :
         run.value("tool", Json::object()).value("driver", Json::object()).value("rules", Json::array())) {
      ruleMap.push_back(rules.Add(rule.value("id", std::string()), rule));
    }
    for (const Json& artifact : run.value("artifacts", Json::array())) {
      artifactMap.push_back(
          artifacts.Add(artifact.value("location", Json::object()).value("uri", std::string()), artifact));
    }
    for (Json result : run.value("results", Json::array())) {
      if (result.contains("ruleIndex") && result["ruleIndex"].is_number_integer()) {
        const int old = result["ruleIndex"].get<int>();
        if (old >= 0 && old < static_cast<int>(ruleMap.size())) result["ruleIndex"] = ruleMap[static_cast<size_t>(old)];
      }
      RenumberArtifacts(result, artifactMap);
      results.push_back(std::move(result));
    }
    for (Json invocation : run.value("invocations", Json::array())) {
      successful = successful && invocation.value("executionSuccessful", true);
      RenumberArtifacts(invocation, artifactMap);
      for (Json& notification : invocation.value("toolExecutionNotifications", Json::array())) {
        notifications.push_back(std::move(notification));
      }
    }
  }

  Json Run() const {
    Json merged = tool.is_null() ? Json{{"tool", {{"driver", {{"name", "zoci"}}}}}} : Json{{"tool", tool}};
    merged["tool"]["driver"]["rules"] = rules.entries;
    if (!columnKind.is_null()) merged["columnKind"] = columnKind;
    merged["artifacts"] = artifacts.entries;
    merged["invocations"] =
        Json::array({{{"executionSuccessful", successful}, {"toolExecutionNotifications", notifications}}});
    merged["results"] = results;
    return merged;
  }
};

}  // namespace

std::optional<std::string> MergeSarif(const std::vector<std::pair<std::string, std::string>>& namedLogs,
                                      std::string& error) {
  MergedRun merged;
  Json schema;
  for (const auto& [name, text] : namedLogs) {
    const Json log = Json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (log.is_discarded() || !log.is_object() || log.value("version", std::string()) != "2.1.0" ||
        !log.contains("runs") || !log["runs"].is_array()) {
      error = name + ": not a SARIF 2.1.0 log";
      return std::nullopt;
    }
    if (schema.is_null() && log.contains("$schema")) schema = log["$schema"];
    for (const Json& run : log["runs"]) {
      if (!run.is_object()) {
        error = name + ": a run is not an object";
        return std::nullopt;
      }
      merged.Add(run);
    }
  }
  Json log = Json::object();
  if (!schema.is_null()) log["$schema"] = schema;
  log["version"] = "2.1.0";
  log["runs"] = Json::array({merged.Run()});
  return DumpJson(log);
}

}  // namespace zoci
