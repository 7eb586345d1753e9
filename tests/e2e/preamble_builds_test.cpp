// Preamble builds beside their runs: a later build of a file wins over an
// earlier one whatever order they end in, a run waits only for a build of the
// same text, and a build still reading after its run has ended gets the
// provider's earlier answers and nothing new.
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>

#include <llvm/Support/MemoryBuffer.h>
#include <llvm/Support/raw_ostream.h>

#include "preamble_builds.h"
#include "preamble_store.h"
#include "provider_file_system.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

using zoe::StoredPreamble;

/// A build that ends, with an entry told apart by `region`, once released.
struct HeldBuild {
  std::promise<void> release;
  zoe::PreambleBuilds::Build Make(const std::string& region) {
    return [done = release.get_future().share(), region]() -> std::shared_ptr<const StoredPreamble> {
      done.wait();
      auto entry = std::make_shared<StoredPreamble>();
      entry->region = region;
      return entry;
    };
  }
};

TEST(PreambleBuildsBeside, TheLatestBuildOfAFileWinsRunsWaitOnlyForTheirTextAndAFailureForgetsThePreamble) {
  zoe::PreambleStore store(4);
  HeldBuild first, second;
  {
    zoe::PreambleBuilds builds(store);
    builds.Start("a.cpp", "key 1", first.Make("one"));
    builds.Start("a.cpp", "key 2", second.Make("two"));
    second.release.set_value();
    EXPECT_EQ(builds.Await("a.cpp", "key 1"), nullptr) << "superseded: not waited for";
    EXPECT_EQ(builds.Await("b.cpp", "key 2"), nullptr);
    // Once ended, the build is no longer waited for: a run then finds its result in the store.
    const auto awaited = builds.Await("a.cpp", "key 2");
    EXPECT_EQ((awaited ? awaited : store.Find("a.cpp"))->region, "two");
    EXPECT_EQ(store.Find("a.cpp")->region, "two");
    first.release.set_value();
  }  // waits for the first build, which ends after the second
  EXPECT_EQ(store.Find("a.cpp")->region, "two") << "an earlier build must not replace a later one";
  // A failed build forgets the file's older preamble.
  zoe::PreambleBuilds builds(store);
  builds.Start("a.cpp", "key", []() -> std::shared_ptr<const StoredPreamble> { throw std::runtime_error("failed"); });
  EXPECT_EQ(builds.Await("a.cpp", "key"), nullptr);
  EXPECT_EQ(store.Find("a.cpp"), nullptr);
}

TEST(RunFileSystem, AfterItsRunEndsServesOnlyWhatTheProviderAlreadyAnswered) {
  TempDir folder;
  const std::string served = folder.Write("served.h", "on disk").string();
  const std::string asked = folder.Write("asked.h", "on disk").string();
  const std::string unasked = folder.Write("unasked.h", "on disk").string();
  int calls = 0;
  const zoe::FileProviderCallback provider = [&](std::string_view,
                                                 std::string_view path) -> std::optional<zoe::ProvidedFile> {
    ++calls;
    if (path != served) return std::nullopt;
    return zoe::ProvidedFile{std::make_shared<const std::string>("unsaved"), 1700000000};
  };
  const bool compilerStarted = true;
  auto files = zoe::MakeRunFileSystem(&provider, "", compilerStarted, llvm::errs());
  auto text = [&files](const std::string& path) {
    auto buffer = files->getBufferForFile(path);
    return buffer ? (*buffer)->getBuffer().str() : "(" + buffer.getError().message() + ")";
  };
  EXPECT_EQ(text(served), "unsaved");
  EXPECT_EQ(text(asked), "on disk");
  zoe::EndProviderAnswers(*files);
  EXPECT_FALSE(zoe::MissedProviderAnswers(*files));
  EXPECT_EQ(text(served), "unsaved");
  EXPECT_EQ(text(asked), "on disk");
  EXPECT_EQ(calls, 2) << "each path is asked once, and never after the run";
  EXPECT_FALSE(files->exists(unasked));
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(zoe::MissedProviderAnswers(*files));
}

}  // namespace
}  // namespace zotest
