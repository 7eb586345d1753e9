// Per-check timings of one run (-enable-check-profile). clang-tidy's profiler
// prints its table on the process's error stream unless it is told to store
// the timings; the run has it store them in a private folder, reads them back
// and prints the same table on the run's own error stream.
#pragma once

#include <string>

namespace llvm {
class raw_ostream;
}

namespace zoe {

class CheckProfile {
 public:
  /// Creates the private folder.
  CheckProfile();
  /// Removes the folder and everything in it.
  ~CheckProfile();
  CheckProfile(const CheckProfile&) = delete;
  CheckProfile& operator=(const CheckProfile&) = delete;

  /// Where the profiler stores its timings; empty when no folder could be made.
  const std::string& StoragePrefix() const { return folder_; }

  /// Prints the table of the stored timings, as the binary prints it; nothing
  /// when no check was timed.
  void PrintTable(llvm::raw_ostream& out) const;

 private:
  std::string folder_;
};

}  // namespace zoe
