// zoci's JSON output (schema in host/OUTPUT.md).
#include "machine_report.h"

#include "json.h"

namespace zoci {
namespace {

constexpr int kSchemaVersion = 1;

void WriteSpan(JsonWriter& json, const SpanPositions& span) {
  json.Number("offset", span.offset);
  json.Number("length", span.length);
  json.BeginObject("start");
  json.Number("line", span.start.line);
  json.Number("column", span.start.column);
  json.EndObject();
  json.BeginObject("end");
  json.Number("line", span.end.line);
  json.Number("column", span.end.column);
  json.EndObject();
}

void WriteDiagnostic(JsonWriter& json, const Report& report, const Diagnostic& diagnostic) {
  json.BeginObject();
  json.String("file", diagnostic.file);
  json.String("check", diagnostic.check);
  json.String("severity", diagnostic.error ? "error" : "warning");
  json.String("message", diagnostic.message);
  json.BeginObject("range");
  WriteSpan(json, PositionsOf(report, diagnostic.file, diagnostic.offset, diagnostic.length));
  json.EndObject();
  json.BeginArray("fix");
  for (const TextEdit& edit : diagnostic.fix) {
    json.BeginObject();
    WriteSpan(json, PositionsOf(report, diagnostic.file, edit.offset, edit.length));
    json.String("text", edit.text);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void WriteFile(JsonWriter& json, const Report& report, const InspectedFile& file) {
  json.BeginObject();
  json.String("path", file.path);
  const auto source = report.sources.find(file.path);
  json.String("encoding", source == report.sources.end() ? "" : EncodingName(source->second));
  json.Bool("inspected", !file.failed);
  if (file.failed) json.String("error", file.error);
  if (!file.note.empty()) json.String("note", file.note);
  json.BeginArray("diagnostics");
  for (const Diagnostic& diagnostic : file.diagnostics) WriteDiagnostic(json, report, diagnostic);
  json.EndArray();
  json.EndObject();
}

}  // namespace

SpanPositions PositionsOf(const Report& report, const std::string& path, uint32_t offset,
                          uint32_t length) {
  const auto source = report.sources.find(path);
  if (source == report.sources.end()) {
    return SpanPositions{offset, length, {1, offset + 1}, {1, offset + length + 1}};
  }
  const LineIndex lines(source->second.text);
  return SpanPositions{offset, length, lines.PositionOf(offset), lines.PositionOf(offset + length)};
}

std::string JsonReport(const Report& report) {
  JsonWriter json;
  json.BeginObject();
  json.Number("version", kSchemaVersion);
  json.String("tool", "zoci");
  json.String("engine", report.engineVersion);
  json.String("positions", "utf-16");
  json.BeginArray("files");
  for (const InspectedFile& file : report.files) WriteFile(json, report, file);
  json.EndArray();
  json.EndObject();
  return json.Text();
}

}  // namespace zoci
