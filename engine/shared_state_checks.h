// Two checks of LLVM 19 keep a process-wide pointer to the preprocessor of the
// run they are in (bugprone-bad-signal-to-kill-thread, also enabled as
// cert-pos44-c, and bugprone-not-null-terminated-result). Two such runs at
// once would read each other's preprocessor, so runs that enable either check
// take turns; every other run goes on concurrently.
#pragma once

#include <functional>
#include <mutex>
#include <string_view>

namespace zoe {

/// Held for a whole run when the run enables a check with process-wide state;
/// empty otherwise. `isEnabled` answers for a check name.
std::unique_lock<std::mutex> TakeTurnIfNeeded(const std::function<bool(std::string_view)>& isEnabled);

}  // namespace zoe
