// The machine-readable outputs: zoci's own JSON schema (documented in
// host/OUTPUT.md) and SARIF 2.1.0. Both give positions in UTF-16 code units.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "report.h"
#include "text_lines.h"

namespace zoci {

/// JSON documents keep their members in the order written.
using Json = nlohmann::ordered_json;

/// Indented text of `json`; invalid UTF-8 in strings is replaced, not fatal.
std::string DumpJson(const Json& json);

/// The JSON document of `report`.
std::string JsonReport(const Report& report);

/// The SARIF 2.1.0 log of `report`.
std::string SarifReport(const Report& report);

/// A span in both forms: offset and length, and 1-based start and end
/// (exclusive) positions.
struct SpanPositions {
  uint32_t offset = 0;
  uint32_t length = 0;
  Position start;
  Position end;
};

/// The positions of [offset, offset + length) of `path` in `report`'s sources
/// (line 1 counted from the offset alone when zoci has no text for it).
SpanPositions PositionsOf(const Report& report, const std::string& path, uint32_t offset,
                          uint32_t length);

}  // namespace zoci
