// Several threads look up, fill, replace and clear the same keys at once.
// Meant for the ThreadSanitizer build, where a data race fails the test.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "buffers/source_cache.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;

namespace {

TEST(SourceCacheStress, ConcurrentLookupsFillsReplacementsAndClears) {
  zotest::TempDir dir;
  const std::vector<std::string> paths = {
      dir.Write("ascii.c", "int a;\n").string(),
      dir.Write("utf8.c", "int \xC3\xA9;\n").string(),
      dir.Write("ansi.c", "int caf\xE9_;\n").string(),
      dir.Write("wide.c", std::string("\xFF\xFEi\0\n\0", 6)).string(),
  };
  Native::SourceCache cache;
  constexpr int kThreads = 4;
  constexpr int kRounds = 150;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      Native::CacheView view(cache);
      for (int round = 0; round < kRounds; ++round) {
        const std::string& path = paths[(round + t) % paths.size()];
        switch ((round * 7 + t) % 5) {
          case 0:
            if (auto record = view.GetFile(path, path, Native::FileWanted::converted)) {
              EXPECT_TRUE(record->utf8Text.get() != nullptr);
            }
            break;
          case 1:
            if (auto mapper = view.GetMapper(path, path)) {
              EXPECT_TRUE(mapper->IsValid());
            }
            break;
          case 2: {
            auto record = cache.AddModifiedBuffer(Native::FileKeyOf(path), path, path,
                                                  std::make_shared<const std::u16string>(u"int m;\n"));
            view.UseModifiedBuffer(record);
            EXPECT_TRUE(Native::GetRecordMapper(*record) != nullptr);
            break;
          }
          case 3:
            if (auto record = view.GetFile(path, path, Native::FileWanted::anyLoadable)) {
              EXPECT_GT(Native::MemoryUsage(*record), 0u);
              view.Inspect([](const Native::CacheContents& seen) { EXPECT_LE(seen.convertedFiles.size(), 4u); });
            }
            break;
          default:
            if (round % 2 == 0) {
              cache.Clear();
            } else {
              cache.UseSettings({round % 4 == 1, 0, true});
            }
            break;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
}

}  // namespace
