// The machine-readable outputs: zoci's own JSON schema (documented in
// host/OUTPUT.md) and SARIF 2.1.0. Both give positions in UTF-16 code units.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "report.h"

namespace zoci {

/// JSON documents keep their members in the order written.
using Json = nlohmann::ordered_json;

/// Indented text of `json`; invalid UTF-8 in strings is replaced, not fatal.
std::string DumpJson(const Json& json);

/// Produces the elements of an array written piece by piece: calls `put` with each in turn.
using ArrayElements = std::function<void(const std::function<void(const Json&)>& put)>;

/// The single element that stands for the array `arrays[index]` of WriteJson
/// produces (which must produce at least one element).
Json StandInFor(size_t index);

/// Writes `json` as DumpJson does, each stand-in element replaced by the
/// elements of its array, so that no more than one of them is held at a time.
void WriteJson(const Json& json, const std::vector<ArrayElements>& arrays, std::ostream& out);

/// Writes the JSON document of `report`, one diagnostic at a time.
void WriteJsonReport(const Report& report, std::ostream& out);
/// The JSON document of `report`.
std::string JsonReport(const Report& report);

/// Writes the SARIF 2.1.0 log of `report`, one result at a time.
void WriteSarifReport(const Report& report, std::ostream& out);
/// The SARIF 2.1.0 log of `report`.
std::string SarifReport(const Report& report);

}  // namespace zoci
