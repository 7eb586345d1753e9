// The machine-readable outputs: zoci's own JSON schema (documented in
// host/OUTPUT.md) and SARIF 2.1.0. Both give positions in UTF-16 code units.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "report.h"

namespace zoci {

/// JSON documents keep their members in the order written.
using Json = nlohmann::ordered_json;

/// Indented text of `json`; invalid UTF-8 in strings is replaced, not fatal.
std::string DumpJson(const Json& json);

/// The JSON document of `report`.
std::string JsonReport(const Report& report);

/// The SARIF 2.1.0 log of `report`.
std::string SarifReport(const Report& report);

}  // namespace zoci
