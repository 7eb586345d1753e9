#include "run_summary.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

namespace zoci {
namespace {

std::string Counted(size_t count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

}  // namespace

std::string RunSummary(const Report& report) {
  std::map<std::string, size_t> perCheck;
  size_t warnings = 0, errors = 0;
  std::vector<const InspectedFile*> failed;
  for (const InspectedFile& file : report.files) {
    if (file.failed) failed.push_back(&file);
    for (const Diagnostic& diagnostic : file.diagnostics) {
      ++perCheck[diagnostic.check];
      ++(diagnostic.error ? errors : warnings);
    }
  }
  std::ostringstream out;
  out << "zoci: summary: " << Counted(report.files.size() - failed.size(), "file", "files") << " inspected, "
      << failed.size() << " failed, " << Counted(warnings, "warning", "warnings") << ", "
      << Counted(errors, "error", "errors") << "\n";
  // Most frequent first, then by name.
  std::vector<std::pair<std::string, size_t>> checks(perCheck.begin(), perCheck.end());
  std::sort(checks.begin(), checks.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  for (const auto& [check, count] : checks) out << "  " << count << "\t" << check << "\n";
  for (const InspectedFile* file : failed) out << "zoci: failed: " << file->path << "\n";
  return out.str();
}

}  // namespace zoci
