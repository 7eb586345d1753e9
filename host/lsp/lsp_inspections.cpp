// The inspection worker of `zoci lsp` (see lsp_inspections.h).
#include "lsp_inspections.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "library_setup.h"
#include "interop/interop2.h"

namespace zoci {
namespace {

namespace Native = Quillfern::ZoCodeInspections::Native;

}  // namespace

InspectionQueue::InspectionQueue(Clock::duration quietTime) : quietTime_(quietTime) {}

void InspectionQueue::Stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    if (runningSwitch_) runningSwitch_->SwitchOff();
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

std::string InspectionQueue::Start(const Options& options) {
  if (inspector_) return "already started";
  options_ = options;
  std::optional<TidyConfig> config;
  std::optional<CompileDatabase> database;
  std::string error;
  if (!LoadProjectFiles(options_, config, database, error)) return error;
  if (!InitializeLibrary(options_, error)) return "the inspection library could not be initialised: " + error;
  inspector_.emplace(options_, std::move(database), std::move(config));
  worker_ = std::thread([this] { Work(); });
  return {};
}

void InspectionQueue::Changed(const std::string& uri) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    due_[uri] = Clock::now() + quietTime_;
    SwitchOffRunOf(uri);
  }
  wake_.notify_all();
}

void InspectionQueue::Cancel(const std::string& uri) {
  const std::lock_guard<std::mutex> lock(mutex_);
  SwitchOffRunOf(uri);
}

void InspectionQueue::Closed(const std::string& uri) {
  const std::lock_guard<std::mutex> lock(mutex_);
  due_.erase(uri);
  SwitchOffRunOf(uri);
}

void InspectionQueue::SwitchOffRunOf(const std::string& uri) {
  if (runningSwitch_ && runningUri_ == uri) runningSwitch_->SwitchOff();
}

std::vector<TextEdit> InspectionQueue::FinalFix(int32_t token) {
  std::vector<TextEdit> edits;
  for (const Native::repl& r : Native::interop2().GetFixReplacements(static_cast<uint32_t>(token)).replacements) {
    edits.push_back(TextEdit{r.span.start, r.span.length, r.text});
  }
  return edits;
}

void InspectionQueue::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (due_.empty()) {
      wake_.wait(lock);
      continue;
    }
    const auto next = std::min_element(due_.begin(), due_.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    if (const Clock::time_point deadline = next->second; deadline > Clock::now()) {
      // A copy: a close may erase the entry while the lock is released.
      wake_.wait_until(lock, deadline);
      continue;
    }
    const std::string uri = next->first;
    const auto parserSwitch = std::make_shared<ParserSwitch>();
    runningUri_ = uri;
    runningSwitch_ = parserSwitch;
    due_.erase(next);
    lock.unlock();
    Inspect(uri, parserSwitch);
    lock.lock();
    runningUri_.clear();
    runningSwitch_.reset();
  }
}

void InspectionQueue::ShowProblems(const std::string& uri, const InspectedFile& file) {
  std::vector<std::pair<LspServer::MessageType, std::string>> messages;
  if (file.failed) {
    std::fprintf(stderr, "zoci lsp: %s\n", file.error.c_str());
    messages.emplace_back(LspServer::MessageType::error, "zoci: " + file.error);
  }
  for (const std::string& warning : file.warnings) {
    messages.emplace_back(LspServer::MessageType::warning, "zoci: " + file.path + ": " + warning);
  }
  // Every edit runs again: the same problems are shown once, not at every keystroke.
  std::string shown;
  for (const auto& [type, message] : messages) shown += message + "\n";
  if (shownProblems_[uri] == shown) return;
  shownProblems_[uri] = shown;
  for (const auto& [type, message] : messages) server_->ShowMessage(type, message);
}

void InspectionQueue::Inspect(const std::string& uri, const std::shared_ptr<ParserSwitch>& parserSwitch) {
  const std::optional<DocumentSnapshot> snapshot = server_->Snapshot(uri);
  if (!snapshot) return;
  const std::string progress = server_->BeginProgress(uri, "inspecting " + std::filesystem::path(snapshot->path).filename().string());
  FileOutcome outcome = inspector_->Inspect(FileJob{snapshot->path, std::nullopt, snapshot->buffers, parserSwitch});
  if (parserSwitch->IsOff()) {  // a newer text, a close or the client made this run stale
    server_->EndProgress(progress, "stopped");
    return;
  }
  ShowProblems(uri, outcome.file);
  server_->Trace("zoci: the run of " + snapshot->path + " (version " + std::to_string(snapshot->version) + ")\n" +
                 outcome.logText);
  std::vector<Diagnostic> own;
  for (Diagnostic& diagnostic : outcome.file.diagnostics) {
    if (diagnostic.file == snapshot->path) own.push_back(std::move(diagnostic));
  }
  server_->EndProgress(progress, std::to_string(own.size()) + (own.size() == 1 ? " diagnostic" : " diagnostics"));
  server_->Publish(uri, snapshot->version, std::move(own));
}

}  // namespace zoci
