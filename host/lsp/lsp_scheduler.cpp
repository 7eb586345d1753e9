// The inspection worker of `zoci lsp` (see lsp_scheduler.h).
#include "lsp_scheduler.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "file_uri.h"

namespace zoci {

InspectionScheduler::InspectionScheduler(Inspections& inspections, Debounce debounce)
    : inspections_(inspections), debounce_(std::move(debounce)) {}

// Runs are switched off (the library's parser disabled) after the lock is
// released, like every other call out of the scheduler.
void InspectionScheduler::Stop() {
  std::shared_ptr<ParserSwitch> running;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    running = runningSwitch_;
  }
  if (running) running->SwitchOff();
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

std::string InspectionScheduler::Start(const Options& options) {
  if (worker_.joinable()) return "already started";
  if (std::string error = inspections_.Start(options); !error.empty()) return error;
  worker_ = std::thread([this] { Work(); });
  return {};
}

void InspectionScheduler::Opened(const std::string& uri) { Schedule(uri, Due{Clock::now(), false}); }

void InspectionScheduler::Changed(const std::string& uri) {
  Clock::duration wait;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    wait = debounce_.Wait();
  }
  Schedule(uri, Due{Clock::now() + wait, true});
}

void InspectionScheduler::Schedule(const std::string& uri, Due due) {
  std::shared_ptr<ParserSwitch> stale;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    due_[uri] = due;
    stale = RunOf(uri);
  }
  if (stale) stale->SwitchOff();
  wake_.notify_all();
}

void InspectionScheduler::Cancel(const std::string& uri) {
  std::shared_ptr<ParserSwitch> cancelled;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    cancelled = RunOf(uri);
  }
  if (cancelled) cancelled->SwitchOff();
}

void InspectionScheduler::Closed(const std::string& uri) {
  std::shared_ptr<ParserSwitch> closed;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    due_.erase(uri);
    changedBefore_.erase(uri);
    readBy_.erase(uri);
    closed = RunOf(uri);
  }
  if (closed) closed->SwitchOff();
}

void InspectionScheduler::FileTextChanged(const std::string& path) {
  const std::string changed = AbsolutePath(path);
  std::vector<std::string> stale;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [uri, read] : readBy_) {
      if (read.contains(changed)) stale.push_back(uri);
    }
  }
  for (const std::string& uri : stale) Opened(uri);
}

std::shared_ptr<ParserSwitch> InspectionScheduler::RunOf(const std::string& uri) const {
  return runningUri_ == uri ? runningSwitch_ : nullptr;
}

std::vector<TextEdit> InspectionScheduler::FinalFix(int32_t token) { return inspections_.FinalFix(token); }

std::optional<std::vector<TextEdit>> InspectionScheduler::FinalFixes(const std::vector<int32_t>& tokens) {
  return inspections_.FinalFixes(tokens);
}

void InspectionScheduler::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (due_.empty()) {
      wake_.wait(lock);
      continue;
    }
    const auto next = std::min_element(due_.begin(), due_.end(),
                                       [](const auto& a, const auto& b) { return a.second.at < b.second.at; });
    if (const Clock::time_point deadline = next->second.at; deadline > Clock::now()) {
      // A copy: a close may erase the entry while the lock is released.
      wake_.wait_until(lock, deadline);
      continue;
    }
    const std::string uri = next->first;
    // A document's first run starts building what its later runs reuse, and
    // the first run after a change may still wait for that build: only the
    // runs after it tell how long the next one will take.
    const bool afterChange = next->second.afterChange;
    const auto parserSwitch = std::make_shared<ParserSwitch>();
    runningUri_ = uri;
    runningSwitch_ = parserSwitch;
    due_.erase(next);
    lock.unlock();
    const Clock::time_point started = Clock::now();
    const bool completed = Run(uri, parserSwitch);
    const Clock::duration took = Clock::now() - started;
    lock.lock();
    if (completed && afterChange && !changedBefore_.insert(uri).second) debounce_.Ran(took);
    runningUri_.clear();
    runningSwitch_.reset();
  }
}

bool InspectionScheduler::Run(const std::string& uri, const std::shared_ptr<ParserSwitch>& parserSwitch) {
  const std::optional<DocumentSnapshot> snapshot = callbacks_->Snapshot(uri);
  if (!snapshot) return false;
  const std::string name = std::filesystem::path(snapshot->path).filename().string();
  const std::string progress = callbacks_->BeginProgress(uri, "inspecting " + name);
  DocumentRun run = inspections_.Inspect(*snapshot, parserSwitch);
  if (parserSwitch->IsOff()) {  // a newer text, a close or the client made this run stale
    callbacks_->EndProgress(progress, "stopped");
    return false;
  }
  ShowProblems(uri, run.file);
  callbacks_->Trace("zoci: the run of " + snapshot->path + " (version " + std::to_string(snapshot->version) + ")\n" +
                    run.logText);
  const size_t count = run.file.diagnostics.size();
  callbacks_->EndProgress(progress, std::to_string(count) + (count == 1 ? " diagnostic" : " diagnostics"));
  // Known before the client can see the diagnostics, and so save a file they name.
  RememberRead(uri, snapshot->path, run.filesRead);
  callbacks_->Publish(uri, snapshot->version, std::move(run.file.diagnostics));
  return true;
}

void InspectionScheduler::RememberRead(const std::string& uri, const std::string& path,
                                       const std::vector<std::string>& filesRead) {
  std::set<std::string> read;
  for (const std::string& file : filesRead) read.insert(AbsolutePath(file));
  read.erase(AbsolutePath(path));
  const std::lock_guard<std::mutex> lock(mutex_);
  readBy_[uri] = std::move(read);
}

void InspectionScheduler::ShowProblems(const std::string& uri, const InspectedFile& file) {
  std::vector<std::pair<MessageType, std::string>> messages;
  if (file.failed) messages.emplace_back(MessageType::error, "zoci: " + file.error);
  for (const std::string& warning : file.warnings) {
    messages.emplace_back(MessageType::warning, "zoci: " + file.path + ": " + warning);
  }
  // Why a document has no diagnostics (a header, a skip-all directive), or
  // why their positions may be off (a file read in another encoding).
  if (!file.note.empty()) messages.emplace_back(MessageType::info, "zoci: " + file.path + ": " + file.note);
  // Every edit runs again: the same problems are shown once, not at every keystroke.
  std::string shown;
  for (const auto& [type, message] : messages) shown += message + "\n";
  if (shownProblems_[uri] == shown) return;
  shownProblems_[uri] = shown;
  for (const auto& [type, message] : messages) callbacks_->ShowMessage(type, message);
}

}  // namespace zoci
