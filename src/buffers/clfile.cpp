#include "buffers/clfile.h"

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

int64_t NowSeconds() { return Platform::WallClockTicks() / 10'000'000; }

namespace ClangTidy {

clfile::clfile(std::string fileName, std::string filePath, std::string fileKey, FileInfo info)
    : name(std::move(fileName)),
      path(std::move(filePath)),
      key(std::move(fileKey)),
      fileInfo(info),
      created(NowSeconds()),
      lastUsed(created) {}

}  // namespace ClangTidy

}  // namespace Quillfern::ZoCodeInspections::Native
