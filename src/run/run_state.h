// What the runs of one service share: the source cache, the claims of their
// fixes, the parse numbers and the text of the latest detailed run. The
// service owns one and hands it to every run in its request.
#pragma once

#include <utility>

#include "buffers/source_cache.h"
#include "dumps/last_yaml_text.h"
#include "results/claims.h"
#include "run/run_results.h"

namespace Quillfern::ZoCodeInspections::Native {

struct RunState {
  /// Files are opened with `opener`.
  explicit RunState(FileOpener opener = Platform::OpenForRead) : cache(std::move(opener)) {}

  SourceCache cache;
  ClaimStore claims;
  ParseCounter parses;
  LastYamlText lastYaml;
};

}  // namespace Quillfern::ZoCodeInspections::Native
