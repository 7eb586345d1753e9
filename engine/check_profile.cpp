#include "check_profile.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <map>
#include <system_error>
#include <vector>

#include <llvm/Support/FileSystem.h>
#include <llvm/Support/Format.h>
#include <llvm/Support/JSON.h>
#include <llvm/Support/MemoryBuffer.h>
#include <llvm/Support/raw_ostream.h>

namespace zoe {

namespace {

/// The timings of one check, or their sum.
struct Timing {
  double wall = 0;
  double user = 0;
  double system = 0;
  double memory = 0;

  double Process() const { return user + system; }
  void Add(const Timing& other) {
    wall += other.wall;
    user += other.user;
    system += other.system;
    memory += other.memory;
  }
};

using Timings = std::map<std::string, Timing>;

constexpr llvm::StringLiteral kKeyPrefix = "time.clang-tidy.";

/// Adds one stored value, keyed "time.clang-tidy.<check>.<wall|user|sys|mem>".
void AddStoredValue(llvm::StringRef key, double value, Timings& timings) {
  if (!key.consume_front(kKeyPrefix)) return;
  const auto [check, kind] = key.rsplit('.');
  Timing& timing = timings[check.str()];
  if (kind == "wall") timing.wall = value;
  if (kind == "user") timing.user = value;
  if (kind == "sys") timing.system = value;
  if (kind == "mem") timing.memory = value;
}

/// Reads every stored profile below `folder`.
Timings ReadStoredTimings(const std::string& folder) {
  Timings timings;
  std::error_code error;
  for (llvm::sys::fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    auto buffer = llvm::MemoryBuffer::getFile(entry->path());
    if (!buffer) continue;
    llvm::Expected<llvm::json::Value> stored = llvm::json::parse((*buffer)->getBuffer());
    if (!stored) {
      llvm::consumeError(stored.takeError());
      continue;
    }
    const llvm::json::Object* profile = stored->getAsObject() ? stored->getAsObject()->getObject("profile") : nullptr;
    if (profile == nullptr) continue;
    for (const auto& [key, value] : *profile) {
      if (auto number = value.getAsNumber()) AddStoredValue(key, *number, timings);
    }
  }
  return timings;
}

void PrintValue(double value, double total, llvm::raw_ostream& out) {
  if (total < 1e-7) {
    out << "        -----     ";
  } else {
    out << llvm::format("  %7.4f (%5.1f%%)", value, value * 100 / total);
  }
}

void PrintRow(const Timing& row, const Timing& total, llvm::StringRef name, llvm::raw_ostream& out) {
  if (total.user != 0) PrintValue(row.user, total.user, out);
  if (total.system != 0) PrintValue(row.system, total.system, out);
  if (total.Process() != 0) PrintValue(row.Process(), total.Process(), out);
  PrintValue(row.wall, total.wall, out);
  out << "  ";
  if (total.memory != 0) out << llvm::format("%9" PRId64 "  ", static_cast<int64_t>(row.memory));
  out << name << '\n';
}

void PrintHeading(const Timing& total, llvm::raw_ostream& out) {
  const llvm::StringRef description = "clang-tidy checks profiling";
  const std::string rule = "===" + std::string(73, '-') + "===\n";
  out << rule;
  out.indent((80 - description.size()) / 2) << description << '\n';
  out << rule;
  out << llvm::format("  Total Execution Time: %5.4f seconds (%5.4f wall clock)\n", total.Process(), total.wall);
  out << '\n';
  if (total.user != 0) out << "   ---User Time---";
  if (total.system != 0) out << "   --System Time--";
  if (total.Process() != 0) out << "   --User+System--";
  out << "   ---Wall Time---";
  if (total.memory != 0) out << "  ---Mem---";
  out << "  --- Name ---\n";
}

}  // namespace

CheckProfile::CheckProfile() {
  llvm::SmallString<128> folder;
  if (!llvm::sys::fs::createUniqueDirectory("zolibclang2-profile", folder)) folder_ = std::string(folder);
}

CheckProfile::~CheckProfile() {
  if (!folder_.empty()) llvm::sys::fs::remove_directories(folder_);
}

void CheckProfile::PrintTable(llvm::raw_ostream& out) const {
  if (folder_.empty()) return;
  const Timings timings = ReadStoredTimings(folder_);
  if (timings.empty()) return;
  std::vector<std::pair<std::string, Timing>> rows(timings.begin(), timings.end());
  // Slowest first; checks of equal time by name. (Not stable_sort: libstdc++ 12's
  // temporary buffer is deprecated, and clang-19 builds refuse it.)
  std::sort(rows.begin(), rows.end(), [](const auto& left, const auto& right) {
    return left.second.wall != right.second.wall ? left.second.wall > right.second.wall : left.first < right.first;
  });
  Timing total;
  for (const auto& row : rows) total.Add(row.second);
  PrintHeading(total, out);
  for (const auto& [name, timing] : rows) PrintRow(timing, total, name, out);
  PrintRow(total, total, "Total", out);
  out << '\n';
}

}  // namespace zoe
