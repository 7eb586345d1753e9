// The benchmarks that time whole runs themselves report them as manual time.
#pragma once

#include <benchmark/benchmark.h>

#include <exception>
#include <functional>

namespace zotest {

/// Sets each iteration's time to the seconds `secondsOfOneRun` measured; a
/// run that throws ends the benchmark with its message.
inline void ReportManualTime(benchmark::State& state, const std::function<double()>& secondsOfOneRun) {
  for (auto _ : state) {
    try {
      state.SetIterationTime(secondsOfOneRun());
    } catch (const std::exception& error) {
      state.SkipWithError(error.what());
      break;
    }
  }
}

}  // namespace zotest
