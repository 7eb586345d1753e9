#include "preamble_builds.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <utility>

namespace zoe {

PreambleBuilds& PreambleBuilds::Shared() {
  // Made after the store, so destroyed before it: the builds still going end
  // in it.
  static PreambleBuilds builds(PreambleStore::Shared());
  return builds;
}

PreambleBuilds::~PreambleBuilds() {
  std::vector<Worker> workers;
  {
    std::lock_guard lock(mutex_);
    workers = std::move(workers_);
  }
  for (Worker& worker : workers) worker.thread.join();
}

void PreambleBuilds::Start(const std::string& mainFile, std::string key, Build build) {
  auto promise = std::make_shared<std::promise<std::shared_ptr<const StoredPreamble>>>();
  std::lock_guard lock(mutex_);
  JoinFinished();
  const uint64_t number = started_ + 1;
  std::thread thread;
  try {
    // The build cannot end before it is registered below: it ends under the lock.
    thread = std::thread([this, mainFile, number, build = std::move(build), promise] {
      std::shared_ptr<const StoredPreamble> result;
      try {
        result = build();
      } catch (...) {
        // A build that fails leaves the next run to compile without a preamble.
      }
      // Kept before the waiters hear of it: a run that no longer finds the
      // build going finds its result in the store.
      Finish(mainFile, number, result);
      promise->set_value(std::move(result));
    });
  } catch (const std::system_error&) {
    return;  // no thread to spare: the next run builds it
  }
  started_ = number;
  Result result = promise->get_future().share();
  going_[mainFile] = Going{number, std::move(key), result};
  workers_.push_back(Worker{std::move(thread), std::move(result)});
}

void PreambleBuilds::Finish(const std::string& mainFile, uint64_t number,
                            const std::shared_ptr<const StoredPreamble>& result) {
  std::lock_guard lock(mutex_);
  auto found = going_.find(mainFile);
  if (found == going_.end() || found->second.number != number) return;
  if (result != nullptr) {
    store_.Keep(mainFile, result);
  } else {
    store_.Forget(mainFile);
  }
  going_.erase(found);
}

std::shared_ptr<const StoredPreamble> PreambleBuilds::Await(const std::string& mainFile, const std::string& key) {
  Result result;
  {
    std::lock_guard lock(mutex_);
    auto found = going_.find(mainFile);
    if (found == going_.end() || found->second.key != key) return nullptr;
    result = found->second.result;
  }
  return result.get();
}

void PreambleBuilds::JoinFinished() {
  // A build whose result is set has only its thread's end left.
  auto finished = [](Worker& worker) {
    if (worker.result.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return false;
    worker.thread.join();
    return true;
  };
  std::erase_if(workers_, finished);
}

bool BuildPreamblesBeside() {
  static const bool beside = [] {
    const char* value = std::getenv("ZOCI_PREAMBLE_BUILD");
    // On one core the build would only take turns with the run it is beside.
    return value != nullptr && std::strcmp(value, "beside") == 0 && std::thread::hardware_concurrency() != 1;
  }();
  return beside;
}

}  // namespace zoe
