// What the service keeps between the host's calls and gives the runs it
// starts. The service owns one; a test makes a service of its own and so
// starts from a fresh one.
#pragma once

#include <atomic>

namespace Quillfern::ZoCodeInspections::Native {

struct ServiceState {
  /// Set by every Initialize; when true, runs fill yamlText and append the
  /// files report to their log.
  std::atomic<bool> detailedLogging{false};
};

}  // namespace Quillfern::ZoCodeInspections::Native
