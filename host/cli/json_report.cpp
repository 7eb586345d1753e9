// zoci's JSON output (schema in host/cli/OUTPUT.md).
#include "machine_report.h"

#include <optional>
#include <sstream>
#include <string_view>

#include "source_lines.h"

namespace zoci {
namespace {

constexpr int kSchemaVersion = 1;

Json Point(const Position& position) { return {{"line", position.line}, {"column", position.column}}; }

/// A span's fields: offset, length, start and end.
Json Span(const SpanPositions& span) {
  return {{"offset", span.offset}, {"length", span.length}, {"start", Point(span.start)}, {"end", Point(span.end)}};
}

Json DiagnosticJson(const SourceLines& lines, const Diagnostic& diagnostic) {
  Json fix = Json::array();
  for (const TextEdit& edit : diagnostic.fix) {
    Json replacement = Span(lines.Positions(diagnostic.file, edit.offset, edit.length));
    replacement["text"] = edit.text;
    fix.push_back(std::move(replacement));
  }
  return {{"file", diagnostic.file},
          {"check", diagnostic.check},
          {"aliases", diagnostic.aliases},
          {"severity", diagnostic.error ? "error" : "warning"},
          {"message", diagnostic.message},
          {"range", Span(lines.Positions(diagnostic.file, diagnostic.offset, diagnostic.length))},
          {"fix", std::move(fix)}};
}

/// What a stand-in element is called: no diagnostic's file or message is
/// ever the whole of an output line that is only this string.
constexpr std::string_view kStandIn = "zoci: elements written in pieces #";

/// The array a line of dumped JSON stands in for, when it is a stand-in.
std::optional<size_t> StandInIndex(std::string_view line) {
  const size_t begin = line.find_first_not_of(' ');
  if (begin == std::string_view::npos) return std::nullopt;
  line.remove_prefix(begin);
  if (line.size() < kStandIn.size() + 3 || line.front() != '"' || line.back() != '"') return std::nullopt;
  line = line.substr(1, line.size() - 2);
  if (line.substr(0, kStandIn.size()) != kStandIn) return std::nullopt;
  size_t index = 0;
  for (const char digit : line.substr(kStandIn.size())) {
    if (digit < '0' || digit > '9') return std::nullopt;
    index = index * 10 + static_cast<size_t>(digit - '0');
  }
  return index;
}

/// Writes the dumped `element` with every line indented by `indent`.
void WriteIndented(const Json& element, std::string_view indent, std::ostream& out) {
  const std::string text = DumpJson(element);
  std::string_view rest(text.data(), text.size() - 1);  // without DumpJson's final line break
  for (size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
    out << indent << rest.substr(0, end + 1);
  }
  out << indent << rest;
}

Json FileJson(const Report& report, const InspectedFile& file, std::vector<ArrayElements>& arrays,
              const SourceLines& lines) {
  const auto source = report.sources.find(file.path);
  Json json = {{"path", file.path},
               {"encoding", source == report.sources.end() ? "" : EncodingName(source->second)},
               {"inspected", !file.failed}};
  if (file.failed) json["error"] = file.error;
  if (!file.note.empty()) json["note"] = file.note;
  if (!file.warnings.empty()) json["warnings"] = file.warnings;
  json["diagnostics"] = Json::array();
  if (file.diagnostics.empty()) return json;
  json["diagnostics"].push_back(StandInFor(arrays.size()));
  arrays.emplace_back([&lines, &file](const std::function<void(const Json&)>& put) {
    for (const Diagnostic& diagnostic : file.diagnostics) put(DiagnosticJson(lines, diagnostic));
  });
  return json;
}

}  // namespace

std::string DumpJson(const Json& json) { return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n"; }

Json StandInFor(size_t index) { return std::string(kStandIn) + std::to_string(index); }

void WriteJson(const Json& json, const std::vector<ArrayElements>& arrays, std::ostream& out) {
  const std::string text = DumpJson(json);
  std::string_view rest = text;
  for (size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
    const std::string_view line = rest.substr(0, end);
    const std::optional<size_t> index = StandInIndex(line);
    if (!index || *index >= arrays.size()) {
      out << line << '\n';
      continue;
    }
    const std::string_view indent = line.substr(0, line.find_first_not_of(' '));
    bool first = true;
    arrays[*index]([&](const Json& element) {
      if (!first) out << ",\n";
      first = false;
      WriteIndented(element, indent, out);
    });
    out << '\n';
  }
}

void WriteJsonReport(const Report& report, std::ostream& out) {
  Json json = {
      {"version", kSchemaVersion}, {"tool", "zoci"}, {"engine", report.engineVersion}, {"positions", "utf-16"}};
  json["files"] = Json::array();
  const SourceLines lines(report);
  std::vector<ArrayElements> arrays;
  for (const InspectedFile& file : report.files) json["files"].push_back(FileJson(report, file, arrays, lines));
  WriteJson(json, arrays, out);
}

std::string JsonReport(const Report& report) {
  std::ostringstream out;
  WriteJsonReport(report, out);
  return out.str();
}

}  // namespace zoci
