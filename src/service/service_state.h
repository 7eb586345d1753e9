// Process-wide state of the service that runs read: the detailed-logging
// switch set by Initialize.
#pragma once

#include <atomic>

namespace Quillfern::ZoCodeInspections::Native {

/// Set by every Initialize; when true, runs fill yamlText and append the
/// files report to their log.
extern std::atomic<bool> detailedLogging;

}  // namespace Quillfern::ZoCodeInspections::Native
