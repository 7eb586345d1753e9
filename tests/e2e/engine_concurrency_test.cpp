// Runs on different threads go on at the same time; only runs that enable a
// check with process-wide state take turns.
#include <atomic>
#include <future>
#include <thread>

#include "e2e_samples.h"

namespace zotest {
namespace {

TEST(EngineConcurrency, ThreadsGiveTheSequentialResultsEachWithItsOwnSinkAndHookAndShareThePreambles) {
  const std::vector<std::pair<std::string, std::string>> samples = {
      {"inventory.cpp", "-*,modernize-*,readability-braces-around-statements"},
      {"buffers.c", "-*,bugprone-*,cert-*"},
      {"inventory.cpp", "-*,modernize-use-nullptr,bugprone-macro-parentheses,readability-duplicate-include"}};
  std::vector<EngineRequest> requests;
  std::vector<std::atomic<size_t>> hookCalls(samples.size());
  for (size_t index = 0; index < samples.size(); ++index) {
    requests.push_back(FileRequest(SamplePath(samples[index].first), samples[index].second));
    requests.back().hook = [&hookCalls, index](uint32_t, HookArgs&&) -> std::optional<HookArgs> {
      ++hookCalls[index];
      return std::nullopt;
    };
  }
  std::vector<EngineRunResult> sequential;
  std::vector<size_t> sequentialCalls;
  for (size_t index = 0; index < requests.size(); ++index) {
    sequential.push_back(RunEngine(RealEngine(), requests[index]));
    sequentialCalls.push_back(hookCalls[index].exchange(0));
  }
  const std::vector<size_t> threadRequests = {0, 0, 1, 2};
  std::vector<std::vector<EngineRunResult>> concurrent(threadRequests.size());
  std::vector<std::thread> threads;
  for (size_t thread = 0; thread < threadRequests.size(); ++thread) {
    threads.emplace_back([&, thread] {
      for (int round = 0; round < 2; ++round)
        concurrent[thread].push_back(RunEngine(RealEngine(), requests[threadRequests[thread]]));
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t thread = 0; thread < threadRequests.size(); ++thread) {
    const size_t index = threadRequests[thread];
    SCOPED_TRACE(samples[index].second);
    EXPECT_NE(CountLines(sequential[index].diagnostics, "warning:"), 0);
    for (const EngineRunResult& run : concurrent[thread]) {
      EXPECT_EQ(PreambleUse(run.diagnostics), PreambleUse(sequential[index].diagnostics).empty() ? "" : "reused");
      EXPECT_EQ(WithoutRunLog(run.diagnostics), WithoutRunLog(sequential[index].diagnostics));
      EXPECT_EQ(run.fixesYaml, sequential[index].fixesYaml);
      EXPECT_EQ(run.errors, sequential[index].errors);
    }
  }
  // Each thread asks its own hook: two rounds on each thread of a request.
  for (size_t index = 0; index < requests.size(); ++index) {
    EXPECT_NE(sequentialCalls[index], 0u);
    const auto threadsOnIt = static_cast<size_t>(std::count(threadRequests.begin(), threadRequests.end(), index));
    EXPECT_EQ(hookCalls[index], 2 * threadsOnIt * sequentialCalls[index]) << samples[index].second;
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

/// Whether a run of `checks` gets to read its file (within `patience`) while a
/// run of `heldChecks` is held inside the compiler on another thread.
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
