// Runs on different threads: they go on at the same time and give the
// sequential results, each thread keeps its own sink and hook, and only runs
// that enable a check with process-wide state take turns.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "e2e_samples.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

TEST(EngineConcurrency, TwoThreadsGiveTheSequentialResultsEachWithItsOwnSinkAndHook) {
  const std::vector<std::pair<std::string, std::string>> samples = {
      {"inventory.cpp", "-*,modernize-*,readability-braces-around-statements"}, {"buffers.c", "-*,bugprone-*,cert-*"}};
  std::vector<EngineRequest> requests;
  std::vector<std::vector<uint32_t>> hookCalls(samples.size());
  for (size_t index = 0; index < samples.size(); ++index) {
    requests.push_back(SampleRequest(samples[index].first, samples[index].second));
    requests.back().hook = [&hookCalls, index](uint32_t id, HookArgs&&) -> std::optional<HookArgs> {
      hookCalls[index].push_back(id);
      return std::nullopt;
    };
  }
  std::vector<EngineRunResult> sequential;
  for (const EngineRequest& request : requests) sequential.push_back(RunEngine(RealEngine(), request));
  for (auto& calls : hookCalls) calls.clear();

  std::vector<EngineRunResult> concurrent(requests.size());
  std::vector<std::thread> threads;
  for (size_t index = 0; index < requests.size(); ++index) {
    threads.emplace_back([&, index] {
      for (int round = 0; round < 2; ++round) concurrent[index] = RunEngine(RealEngine(), requests[index]);
    });
  }
  for (std::thread& thread : threads) thread.join();

  for (size_t index = 0; index < requests.size(); ++index) {
    SCOPED_TRACE(samples[index].first);
    EXPECT_NE(CountLines(sequential[index].diagnostics, "warning:"), 0);
    EXPECT_EQ(concurrent[index].diagnostics, sequential[index].diagnostics);
    EXPECT_EQ(concurrent[index].fixesYaml, sequential[index].fixesYaml);
    EXPECT_EQ(concurrent[index].errors, sequential[index].errors);
    EXPECT_EQ(hookCalls[index].size(), 2u);
  }
}

/// Two runs on two threads, the first held inside the compiler (its provider
/// blocks when asked for its main file) until the test lets it go.
class HeldRun {
 public:
  explicit HeldRun(const std::string& checks) {
    source_ = folder_.Write("held.c", "int Held(void) { return 0; }\n").string();
    request_.sourceFile = source_;
    request_.checks = checks;
    request_.provider = [this](std::string_view, std::string_view path) -> std::optional<ProvidedFile> {
      if (path == source_) Block();
      return std::nullopt;
    };
  }

  void Start() {
    thread_ = std::thread([this] { RunEngine(RealEngine(), request_); });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return held_; });
  }

  void Release() {
    {
      std::lock_guard lock(mutex_);
      released_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

 private:
  void Block() {
    std::unique_lock lock(mutex_);
    held_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
  }

  TempDir folder_;
  std::string source_;
  EngineRequest request_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
  bool released_ = false;
};

/// Runs `checks` over a second file on another thread; true when that run's
/// compiler got to read its file while the held run was still going (within
/// `patience`; a run that must wait for its turn cannot, however long).
bool SecondRunGoesOnBeside(HeldRun& held, const std::string& checks, std::chrono::seconds patience) {
  TempDir folder;
  EngineRequest request;
  request.sourceFile = folder.Write("second.c", "int Second(void) { return 1; }\n").string();
  request.checks = checks;
  std::mutex mutex;
  std::condition_variable read;
  bool wasRead = false;
  request.provider = [&](std::string_view, std::string_view path) -> std::optional<ProvidedFile> {
    if (path == request.sourceFile) {
      std::lock_guard lock(mutex);
      wasRead = true;
      read.notify_all();
    }
    return std::nullopt;
  };
  std::thread second([&] { RunEngine(RealEngine(), request); });
  bool beside = false;
  {
    std::unique_lock lock(mutex);
    // A run that goes on beside the held one reads its file at once; one that
    // waits for its turn cannot read it before the held run is let go.
    beside = read.wait_for(lock, patience, [&] { return wasRead; });
  }
  held.Release();
  second.join();
  return beside;
}

TEST(EngineConcurrency, RunsWithProcessWideCheckStateTakeTurns) {
  for (const char* check : {"bugprone-not-null-terminated-result", "bugprone-bad-signal-to-kill-thread",
                            "cert-pos44-c"}) {
    const std::string checks = std::string("-*,") + check;
    HeldRun held(checks);
    held.Start();
    EXPECT_FALSE(SecondRunGoesOnBeside(held, "-*,bugprone-*", std::chrono::seconds(2))) << check;
  }
}

TEST(EngineConcurrency, OtherRunsGoOnBesideEachOther) {
  HeldRun held("-*,bugprone-not-null-terminated-result");
  held.Start();
  EXPECT_TRUE(SecondRunGoesOnBeside(held, "-*,readability-*,bugprone-infinite-loop", std::chrono::seconds(120)));
}

}  // namespace
}  // namespace zotest
