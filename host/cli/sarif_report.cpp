// SARIF 2.1.0 output. Regions carry both line/column and charOffset/charLength,
// all in UTF-16 code units of the text without its byte order mark
// (run.columnKind "utf16CodeUnits").
#include <algorithm>
#include <map>
#include <sstream>

#include "file_uri.h"
#include "machine_report.h"
#include "source_lines.h"

namespace zoci {
namespace {

/// The "file:" URI of a path, made absolute.
std::string FileUri(const std::string& path) { return UriOfPath(AbsolutePath(path)); }

/// Documentation page of a clang-tidy check ("group-name" lives at group/name).
std::string HelpUri(const std::string& check) {
  const size_t dash = check.find('-');
  if (dash == std::string::npos || check.starts_with("clang-")) return {};
  return "https://clang.llvm.org/extra/clang-tidy/checks/" + check.substr(0, dash) + "/" + check.substr(dash + 1) +
         ".html";
}

/// IANA name of a file's encoding.
std::string CharsetName(const HostText& text) {
  switch (text.encoding) {
    case FileEncoding::utf8: return "UTF-8";
    case FileEncoding::utf16le: return "UTF-16LE";
    case FileEncoding::utf16be: return "UTF-16BE";
    case FileEncoding::ansi: return "windows-" + std::to_string(text.codePage);
  }
  return {};
}

Json Text(const std::string& text) { return {{"text", text}}; }

Json Region(const SpanPositions& span) {
  return {{"startLine", span.start.line}, {"startColumn", span.start.column}, {"endLine", span.end.line},
          {"endColumn", span.end.column}, {"charOffset", span.offset},        {"charLength", span.length}};
}

Json ArtifactLocation(const std::string& path, int index) { return {{"uri", FileUri(path)}, {"index", index}}; }

/// A one-entry "locations" list for `path`, with `region` when there is one.
Json Locations(const std::string& path, int index, const Json& region = nullptr) {
  Json physical = {{"artifactLocation", ArtifactLocation(path, index)}};
  if (!region.is_null()) physical["region"] = region;
  return Json::array({{{"physicalLocation", std::move(physical)}}});
}

/// Rule and artifact tables, each name with its index.
struct Tables {
  std::map<std::string, int> rules;
  std::map<std::string, int> artifacts;
  std::vector<std::string> ruleOrder, artifactOrder;

  static int Add(std::map<std::string, int>& table, std::vector<std::string>& order, const std::string& name) {
    const auto [it, added] = table.emplace(name, static_cast<int>(order.size()));
    if (added) order.push_back(name);
    return it->second;
  }
  explicit Tables(const Report& report) {
    for (const InspectedFile& file : report.files) {
      Add(artifacts, artifactOrder, file.path);
      for (const Diagnostic& diagnostic : file.diagnostics) {
        Add(rules, ruleOrder, diagnostic.check);
        Add(artifacts, artifactOrder, diagnostic.file);
      }
    }
  }
};

Json Rule(const std::string& id) {
  const bool compiler = id.starts_with("clang-diagnostic-");
  Json rule = {{"id", id},
               {"shortDescription", Text("clang-tidy check " + id)},
               {"fullDescription",
                Text(compiler ? "Compiler diagnostic " + id.substr(17) + ", reported through clang-tidy."
                              : "Findings of the clang-tidy check " + id + ", with the check's quick fixes.")}};
  if (const std::string help = HelpUri(id); !help.empty()) rule["helpUri"] = help;
  return rule;
}

Json Fixes(const SourceLines& lines, const Diagnostic& diagnostic, int artifact) {
  Json replacements = Json::array();
  for (const TextEdit& edit : diagnostic.fix) {
    replacements.push_back({{"deletedRegion", Region(lines.Positions(diagnostic.file, edit.offset, edit.length))},
                            {"insertedContent", Text(edit.text)}});
  }
  const Json change = {{"artifactLocation", ArtifactLocation(diagnostic.file, artifact)},
                       {"replacements", std::move(replacements)}};
  return Json::array({{{"description", Text(diagnostic.message)}, {"artifactChanges", Json::array({change})}}});
}

Json Result(const SourceLines& lines, const Tables& tables, const Diagnostic& diagnostic) {
  const int artifact = tables.artifacts.at(diagnostic.file);
  const Json region = Region(lines.Positions(diagnostic.file, diagnostic.offset, diagnostic.length));
  Json result = {{"ruleId", diagnostic.check},
                 {"ruleIndex", tables.rules.at(diagnostic.check)},
                 {"level", diagnostic.error ? "error" : "warning"},
                 {"message", Text(diagnostic.message)},
                 {"locations", Locations(diagnostic.file, artifact, region)}};
  if (!diagnostic.fix.empty()) result["fixes"] = Fixes(lines, diagnostic, artifact);
  return result;
}

Json Artifacts(const Report& report, const Tables& tables) {
  Json artifacts = Json::array();
  for (const std::string& path : tables.artifactOrder) {
    Json artifact = {{"location", {{"uri", FileUri(path)}}}};
    if (const auto source = report.sources.find(path); source != report.sources.end()) {
      artifact["encoding"] = CharsetName(source->second);
    }
    artifacts.push_back(std::move(artifact));
  }
  return artifacts;
}

/// The run's invocation: successful unless a file could not be inspected,
/// with an error notification per such file and a warning per problem of a
/// run that still produced diagnostics.
Json Invocations(const Report& report, const Tables& tables) {
  Json notifications = Json::array();
  bool successful = true;
  const auto notify = [&](const InspectedFile& file, const char* level, const std::string& message) {
    notifications.push_back({{"level", level},
                             {"message", Text(message)},
                             {"locations", Locations(file.path, tables.artifacts.at(file.path))}});
  };
  for (const InspectedFile& file : report.files) {
    if (file.failed) notify(file, "error", file.error);
    for (const std::string& warning : file.warnings) notify(file, "warning", warning);
    successful = successful && !file.failed;
  }
  return Json::array({{{"executionSuccessful", successful}, {"toolExecutionNotifications", notifications}}});
}

}  // namespace

void WriteSarifReport(const Report& report, std::ostream& out) {
  const Tables tables(report);
  Json rules = Json::array();
  for (const std::string& id : tables.ruleOrder) rules.push_back(Rule(id));
  Json results = Json::array();
  const SourceLines lines(report);
  const bool anyResult = std::any_of(report.files.begin(), report.files.end(),
                                     [](const InspectedFile& file) { return !file.diagnostics.empty(); });
  if (anyResult) results.push_back(StandInFor(0));
  const ArrayElements allResults = [&](const std::function<void(const Json&)>& put) {
    for (const InspectedFile& file : report.files) {
      for (const Diagnostic& diagnostic : file.diagnostics) put(Result(lines, tables, diagnostic));
    }
  };
  const Json driver = {{"name", "zoci"},
                       {"version", "0.1.0"},
                       {"informationUri", "https://clang.llvm.org/extra/clang-tidy/"},
                       {"rules", std::move(rules)}};
  const Json run = {{"tool", {{"driver", driver}}},
                    {"columnKind", "utf16CodeUnits"},
                    {"artifacts", Artifacts(report, tables)},
                    {"invocations", Invocations(report, tables)},
                    {"results", std::move(results)}};
  WriteJson({{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
             {"version", "2.1.0"},
             {"runs", Json::array({run})}},
            {allResults}, out);
}

std::string SarifReport(const Report& report) {
  std::ostringstream out;
  WriteSarifReport(report, out);
  return out.str();
}

}  // namespace zoci
