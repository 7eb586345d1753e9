// Runs on different threads: they go on at the same time and give the
// sequential results, each thread keeps its own sink and hook, and only runs
// that enable a check with process-wide state take turns.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
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
  std::vector<size_t> sequentialCalls;
  for (auto& calls : hookCalls) {
    sequentialCalls.push_back(calls.size());
    calls.clear();
  }

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
    // The run log says whether the preamble was built or reused.
    EXPECT_EQ(WithoutRunLog(concurrent[index].diagnostics), WithoutRunLog(sequential[index].diagnostics));
    EXPECT_EQ(concurrent[index].fixesYaml, sequential[index].fixesYaml);
    EXPECT_EQ(concurrent[index].errors, sequential[index].errors);
    EXPECT_NE(sequentialCalls[index], 0u);
    EXPECT_EQ(hookCalls[index].size(), 2 * sequentialCalls[index]) << "each thread asks its own hook, twice as often";
  }
}

/// A provider that tells `read` when the compiler asks for `path` and then,
/// when `go` is given, holds the run there until it is set.
FileProviderCallback Signalling(const std::string& path, std::promise<void>& read, std::shared_future<void> go = {}) {
  return [path, &read, go](std::string_view, std::string_view asked) -> std::optional<ProvidedFile> {
    if (asked != path) return std::nullopt;
    read.set_value();
    if (go.valid()) go.wait();
    return std::nullopt;
  };
}

/// Whether a run of `checks` on another thread gets to read its file (within
/// `patience`) while a run of `heldChecks` is held inside the compiler; a run
/// that must wait for its turn cannot, however long.
bool SecondRunGoesOnBeside(const std::string& heldChecks, const std::string& checks, std::chrono::seconds patience) {
  TempDir folder;
  std::promise<void> held, read, release;
  EngineRequest first = FileRequest(folder.Write("held.c", "int Held(void) { return 0; }\n"), heldChecks);
  first.provider = Signalling(first.sourceFile, held, release.get_future().share());
  EngineRequest second = FileRequest(folder.Write("second.c", "int Second(void) { return 1; }\n"), checks);
  second.provider = Signalling(second.sourceFile, read);
  std::thread firstRun([&] { RunEngine(RealEngine(), first); });
  held.get_future().wait();
  std::thread secondRun([&] { RunEngine(RealEngine(), second); });
  const bool beside = read.get_future().wait_for(patience) == std::future_status::ready;
  release.set_value();
  firstRun.join();
  secondRun.join();
  return beside;
}

TEST(EngineConcurrency, RunsWithProcessWideCheckStateTakeTurns) {
  for (const char* check :
       {"bugprone-not-null-terminated-result", "bugprone-bad-signal-to-kill-thread", "cert-pos44-c"}) {
    EXPECT_FALSE(SecondRunGoesOnBeside(std::string("-*,") + check, "-*,bugprone-*", std::chrono::seconds(2))) << check;
  }
}

TEST(EngineConcurrency, OtherRunsGoOnBesideEachOther) {
  EXPECT_TRUE(SecondRunGoesOnBeside("-*,bugprone-not-null-terminated-result", "-*,readability-*,bugprone-infinite-loop",
                                    std::chrono::seconds(120)));
}

}  // namespace
}  // namespace zotest
