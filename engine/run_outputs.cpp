#include "run_outputs.h"

#include <exception>
#include <mutex>
#include <utility>

#include <llvm/Support/FileSystem.h>
#include <llvm/Support/Path.h>
#include <llvm/Support/raw_ostream.h>

#include "thread_callbacks.h"

namespace zoe {

/// One output: its text goes either into the captured outputs (through the
/// shared string the map holds) or into a buffer for the process's stream.
struct RunOutputs::Output {
  std::shared_ptr<std::string> captured;
  std::string buffer;
  llvm::raw_string_ostream stream;

  explicit Output(std::shared_ptr<std::string> target)
      : captured(std::move(target)), stream(captured ? *captured : buffer) {}
};

namespace {

/// Asks the thread's sink whether it takes `key`; a sink that throws declines.
bool SinkAccepts(const OutputKey& key, std::string* failure) {
  ThreadCallbacks& thread = CallingThread();
  if (!thread.sink) return false;
  try {
    return thread.sink(key, thread.outputs);
  } catch (const std::exception& error) {
    *failure = error.what();
  } catch (...) {
    *failure = "unknown exception";
  }
  return false;
}

/// Writes to the process's streams one run at a time.
std::mutex& ProcessStreamMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

RunOutputs::RunOutputs() {
  CallingThread().outputs.clear();
  std::string failures;
  errors_ = Offer(int32_t{2}, failures);
  diagnostics_ = Offer(std::string("-"), failures);
  errors_->stream << failures;
}

RunOutputs::~RunOutputs() = default;

std::unique_ptr<RunOutputs::Output> RunOutputs::Offer(const OutputKey& key, std::string& failures) {
  std::string failure;
  std::shared_ptr<std::string> target;
  if (SinkAccepts(key, &failure)) {
    std::shared_ptr<std::string>& slot = CallingThread().outputs[key];
    if (!slot) slot = std::make_shared<std::string>();
    target = slot;
  }
  if (!failure.empty()) failures += "error: the output sink failed: " + failure + "\n";
  return std::make_unique<Output>(std::move(target));
}

llvm::raw_ostream& RunOutputs::Errors() { return errors_->stream; }

llvm::raw_ostream& RunOutputs::Diagnostics() { return diagnostics_->stream; }

void RunOutputs::OfferFixes(const std::string& name, const std::string& folder) {
  std::string failures;
  fixes_ = Offer(name, failures);
  Errors() << failures;
  llvm::SmallString<256> path(name);
  if (!folder.empty()) llvm::sys::fs::make_absolute(folder, path);
  fixesPath_ = std::string(path);
}

bool RunOutputs::WriteFixes(std::string&& yaml) {
  if (!fixes_) return true;
  if (fixes_->captured) {
    // The stream writes through to the captured string: an empty one takes
    // the text itself rather than a copy.
    if (fixes_->captured->empty()) {
      fixes_->captured->swap(yaml);
    } else {
      fixes_->stream << yaml;
    }
    return true;
  }
  std::error_code error;
  llvm::raw_fd_ostream file(fixesPath_, error, llvm::sys::fs::OF_None);
  if (error) {
    Errors() << "Error opening output file: " << error.message() << '\n';
    return false;
  }
  file << yaml;
  return true;
}

void RunOutputs::Finish() {
  std::lock_guard lock(ProcessStreamMutex());
  if (!diagnostics_->captured && !diagnostics_->buffer.empty()) {
    llvm::outs() << diagnostics_->buffer;
    llvm::outs().flush();
  }
  if (!errors_->captured && !errors_->buffer.empty()) {
    llvm::errs() << errors_->buffer;
    llvm::errs().flush();
  }
}

}  // namespace zoe
