// SARIF 2.1.0 output. Regions carry both line/column and charOffset/charLength,
// all in UTF-16 code units of the text without its byte order mark
// (run.columnKind "utf16CodeUnits").
#include <cctype>
#include <filesystem>
#include <map>

#include "json.h"
#include "machine_report.h"

namespace zoci {
namespace {

/// file:// URI of a path, made absolute, with everything but unreserved
/// characters and "/" percent-encoded.
std::string FileUri(const std::string& path) {
  std::error_code ignored;
  const std::string absolute = std::filesystem::absolute(path, ignored).lexically_normal().generic_string();
  std::string uri = "file://";
  for (unsigned char c : absolute) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      uri += {'%', kHex[c >> 4], kHex[c & 15]};
    }
  }
  return uri;
}

/// Documentation page of a clang-tidy check ("group-name" lives at group/name).
std::string HelpUri(const std::string& check) {
  const size_t dash = check.find('-');
  if (dash == std::string::npos || check.rfind("clang-", 0) == 0) return {};
  return "https://clang.llvm.org/extra/clang-tidy/checks/" + check.substr(0, dash) + "/" +
         check.substr(dash + 1) + ".html";
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

void WriteRegion(JsonWriter& json, const char* key, const SpanPositions& span) {
  json.BeginObject(key);
  json.Number("startLine", span.start.line);
  json.Number("startColumn", span.start.column);
  json.Number("endLine", span.end.line);
  json.Number("endColumn", span.end.column);
  json.Number("charOffset", span.offset);
  json.Number("charLength", span.length);
  json.EndObject();
}

void WriteArtifactLocation(JsonWriter& json, const std::string& path, int index) {
  json.BeginObject("artifactLocation");
  json.String("uri", FileUri(path));
  json.Number("index", index);
  json.EndObject();
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

void WriteRules(JsonWriter& json, const Tables& tables) {
  json.BeginArray("rules");
  for (const std::string& id : tables.ruleOrder) {
    json.BeginObject();
    json.String("id", id);
    json.BeginObject("shortDescription");
    json.String("text", "clang-tidy check " + id);
    json.EndObject();
    json.BeginObject("fullDescription");
    json.String("text", id.rfind("clang-diagnostic-", 0) == 0
                            ? "Compiler diagnostic " + id.substr(17) + ", reported through clang-tidy."
                            : "Findings of the clang-tidy check " + id + ", with the check's quick fixes.");
    json.EndObject();
    if (const std::string help = HelpUri(id); !help.empty()) json.String("helpUri", help);
    json.EndObject();
  }
  json.EndArray();
}

void WriteFix(JsonWriter& json, const Report& report, const Diagnostic& diagnostic, int artifact) {
  json.BeginArray("fixes");
  json.BeginObject();
  json.BeginObject("description");
  json.String("text", diagnostic.message);
  json.EndObject();
  json.BeginArray("artifactChanges");
  json.BeginObject();
  WriteArtifactLocation(json, diagnostic.file, artifact);
  json.BeginArray("replacements");
  for (const TextEdit& edit : diagnostic.fix) {
    json.BeginObject();
    WriteRegion(json, "deletedRegion", PositionsOf(report, diagnostic.file, edit.offset, edit.length));
    json.BeginObject("insertedContent");
    json.String("text", edit.text);
    json.EndObject();
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  json.EndArray();
  json.EndObject();
  json.EndArray();
}

void WriteResult(JsonWriter& json, const Report& report, const Tables& tables, const Diagnostic& diagnostic) {
  const int artifact = tables.artifacts.at(diagnostic.file);
  json.BeginObject();
  json.String("ruleId", diagnostic.check);
  json.Number("ruleIndex", tables.rules.at(diagnostic.check));
  json.String("level", diagnostic.error ? "error" : "warning");
  json.BeginObject("message");
  json.String("text", diagnostic.message);
  json.EndObject();
  json.BeginArray("locations");
  json.BeginObject();
  json.BeginObject("physicalLocation");
  WriteArtifactLocation(json, diagnostic.file, artifact);
  WriteRegion(json, "region", PositionsOf(report, diagnostic.file, diagnostic.offset, diagnostic.length));
  json.EndObject();
  json.EndObject();
  json.EndArray();
  if (!diagnostic.fix.empty()) WriteFix(json, report, diagnostic, artifact);
  json.EndObject();
}

void WriteArtifacts(JsonWriter& json, const Report& report, const Tables& tables) {
  json.BeginArray("artifacts");
  for (const std::string& path : tables.artifactOrder) {
    json.BeginObject();
    json.BeginObject("location");
    json.String("uri", FileUri(path));
    json.EndObject();
    if (const auto source = report.sources.find(path); source != report.sources.end()) {
      json.String("encoding", CharsetName(source->second));
    }
    json.EndObject();
  }
  json.EndArray();
}

void WriteInvocation(JsonWriter& json, const Report& report, const Tables& tables) {
  bool successful = true;
  for (const InspectedFile& file : report.files) successful = successful && !file.failed;
  json.BeginArray("invocations");
  json.BeginObject();
  json.Bool("executionSuccessful", successful);
  json.BeginArray("toolExecutionNotifications");
  for (const InspectedFile& file : report.files) {
    if (!file.failed) continue;
    json.BeginObject();
    json.String("level", "error");
    json.BeginObject("message");
    json.String("text", file.error);
    json.EndObject();
    json.BeginArray("locations");
    json.BeginObject();
    json.BeginObject("physicalLocation");
    WriteArtifactLocation(json, file.path, tables.artifacts.at(file.path));
    json.EndObject();
    json.EndObject();
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  json.EndArray();
}

}  // namespace

std::string SarifReport(const Report& report) {
  const Tables tables(report);
  JsonWriter json;
  json.BeginObject();
  json.String("$schema", "https://json.schemastore.org/sarif-2.1.0.json");
  json.String("version", "2.1.0");
  json.BeginArray("runs");
  json.BeginObject();
  json.BeginObject("tool");
  json.BeginObject("driver");
  json.String("name", "zoci");
  json.String("version", "0.1.0");
  json.String("informationUri", "https://clang.llvm.org/extra/clang-tidy/");
  WriteRules(json, tables);
  json.EndObject();
  json.EndObject();
  json.String("columnKind", "utf16CodeUnits");
  WriteArtifacts(json, report, tables);
  WriteInvocation(json, report, tables);
  json.BeginArray("results");
  for (const InspectedFile& file : report.files) {
    for (const Diagnostic& diagnostic : file.diagnostics) WriteResult(json, report, tables, diagnostic);
  }
  json.EndArray();
  json.EndObject();
  json.EndArray();
  json.EndObject();
  return json.Text();
}

}  // namespace zoci
