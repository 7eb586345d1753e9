// Preamble builds that go on beside the runs that start them. A run that finds
// no fitting preamble for its main file compiles without one while a thread of
// its own builds it; the build's result goes to the store for the runs after
// it, and a run that comes while the same build is still going waits for it
// rather than compiling the headers again. A first run then takes as long as
// its own compile, not the build's time on top: what an editor opening a file
// waits for.
#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "preamble_store.h"

namespace zoe {

class PreambleBuilds {
 public:
  /// The process's builds, kept in the process's store.
  static PreambleBuilds& Shared();

  explicit PreambleBuilds(PreambleStore& store) : store_(store) {}
  /// Waits for the builds still going.
  ~PreambleBuilds();
  PreambleBuilds(const PreambleBuilds&) = delete;
  PreambleBuilds& operator=(const PreambleBuilds&) = delete;

  /// Builds a preamble; null when none could be built or what it read is unsure.
  using Build = std::function<std::shared_ptr<const StoredPreamble>()>;

  /// Starts `build` for `mainFile` on a thread of its own. `key` tells what it
  /// is built from (the command line and the preamble region). Its result
  /// replaces the store's preamble of the file unless a later build for the
  /// file was started meanwhile.
  void Start(const std::string& mainFile, std::string key, Build build);

  /// Waits for the build going for `mainFile` when it was started with `key`
  /// and answers its result; null when there is none or it built nothing.
  std::shared_ptr<const StoredPreamble> Await(const std::string& mainFile, const std::string& key);

 private:
  using Result = std::shared_future<std::shared_ptr<const StoredPreamble>>;
  struct Going {
    uint64_t number = 0;
    std::string key;
    Result result;
  };
  struct Worker {
    std::thread thread;
    Result result;
  };

  /// Keeps `result` of build `number` unless a later build of the file was started.
  void Finish(const std::string& mainFile, uint64_t number, const std::shared_ptr<const StoredPreamble>& result);
  /// Joins the workers whose build has finished.
  void JoinFinished();

  PreambleStore& store_;
  std::mutex mutex_;
  std::map<std::string, Going> going_;
  std::vector<Worker> workers_;
  uint64_t started_ = 0;
};

/// True when ZOCI_PREAMBLE_BUILD asks that first runs build their preamble
/// beside them ("beside") and the machine has more than one core; by default
/// a run builds it first and loads it.
bool BuildPreamblesBeside();

}  // namespace zoe
