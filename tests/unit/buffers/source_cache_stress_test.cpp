// Several threads look up, fill, replace and clear the same keys at once.
// Meant for the ThreadSanitizer build, where a data race fails the test.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "buffers/source_cache.h"
#include "support/temp_dir.h"

namespace Quillfern::ZoCodeInspections::Native {
namespace {

/// Whether a record, if any, has its text.
bool Filled(const std::shared_ptr<clfile>& record) { return !record || record->utf8Text.get(); }
/// Whether a mapper, if any, is valid.
bool Valid(const std::shared_ptr<IUtfIndexMapper>& mapper) { return !mapper || mapper->IsValid(); }

TEST(SourceCacheStress, ConcurrentLookupsFillsReplacementsAndClears) {
  zotest::TempDir dir;
  const std::vector<std::string> paths = {
      dir.Write("ascii.c", "int a;\n").string(), dir.Write("utf8.c", "int \xC3\xA9;\n").string(),
      dir.Write("ansi.c", "int caf\xE9_;\n").string(), dir.Write("wide.c", std::string("\xFF\xFEi\0\n\0", 6)).string()};
  SourceCache cache;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      CacheView view(cache);
      for (int round = 0; round < 150; ++round) {
        const std::string& path = paths[(round + t) % paths.size()];
        switch ((round * 7 + t) % 5) {
          case 0: EXPECT_TRUE(Filled(view.GetFile(path, path, FileWanted::converted))); break;
          case 1: EXPECT_TRUE(Valid(view.GetMapper(path, path))); break;
          case 2: {
            auto record = cache.AddModifiedBuffer(FileKeyOf(path), path, path,
                                                  std::make_shared<const std::u16string>(u"int m;\n"));
            view.UseModifiedBuffer(record);
            EXPECT_TRUE(GetRecordMapper(*record) != nullptr);
            break;
          }
          case 3:
            if (auto record = view.GetFile(path, path, FileWanted::anyLoadable)) {
              EXPECT_GT(MemoryUsage(*record), 0u);
              view.Inspect([](const CacheContents& seen) { EXPECT_LE(seen.convertedFiles.size(), 4u); });
            }
            break;
          default:
            if (round % 2 == 0) cache.Clear();
            else cache.UseSettings({round % 4 == 1, 0, true});
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
}

}  // namespace
}  // namespace Quillfern::ZoCodeInspections::Native
