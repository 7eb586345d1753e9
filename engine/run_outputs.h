// The three outputs of one run: the error stream (key 2), the standard output
// (key "-") and the exported fixes file (keyed by its name). Each is offered
// to the calling thread's output sink before anything is written; an accepted
// output is written into the thread's captured outputs, a declined one goes to
// the process's stream or to the file, as the clang-tidy binary would.
#pragma once

#include <memory>
#include <string>

#include "contract/engine_interface.h"

namespace llvm {
class raw_ostream;
}

namespace zoe {

using namespace Quillfern::ZoCodeInspections::Native;

class RunOutputs {
 public:
  /// Empties the thread's captured outputs and offers the two streams.
  RunOutputs();
  ~RunOutputs();
  RunOutputs(const RunOutputs&) = delete;
  RunOutputs& operator=(const RunOutputs&) = delete;

  /// What the binary writes to its error stream.
  llvm::raw_ostream& Errors();
  /// What the binary writes to its standard output.
  llvm::raw_ostream& Diagnostics();

  /// Offers the fixes file, keyed by `name`; when declined it is written to
  /// `name` resolved against `folder`.
  void OfferFixes(const std::string& name, const std::string& folder);
  /// Writes the exported fixes; false (with a message on the error stream)
  /// when the declined file cannot be written.
  bool WriteFixes(std::string&& yaml);

  /// Sends the declined streams to the process's streams. Called once, last.
  void Finish();

 private:
  struct Output;
  /// Offers `key`; a failing sink's message is appended to `failures`.
  std::unique_ptr<Output> Offer(const OutputKey& key, std::string& failures);

  std::unique_ptr<Output> errors_;
  std::unique_ptr<Output> diagnostics_;
  std::unique_ptr<Output> fixes_;
  std::string fixesPath_;
};

}  // namespace zoe
