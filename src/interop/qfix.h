// The quick-fix records a run hands the host: one qfix per diagnostic, with
// one action holding its replacements in host (UTF-16) coordinates. Field
// order is part of the host interface.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "interop/utf_index_mapper.h"

namespace Quillfern::ZoCodeInspections::Native {

/// One replacement.
struct repl {
  std::string text;
  ZoSpan span;        ///< host UTF-16 range (or the unmapped engine range)
  ZoSpan engineSpan;  ///< engine UTF-8 range; {0, 0} when not from a diagnostic
};

/// One fix alternative.
struct action {
  std::string title;
  std::vector<repl> replacements;
  std::vector<repl> newReplacements;
  int32_t claimToken = 0;  ///< 0 when not claimed; tokens start at 1
};

/// Maps an engine range (offset, length) of one file to (line index, host
/// span); line -1 and the engine range unchanged when it cannot be mapped.
using SpanMapFunction = std::function<std::pair<int32_t, ZoSpan>(uint32_t offset, uint32_t length)>;

/// One diagnostic with its fixes.
struct qfix {
  std::string checkname;
  std::string message;
  std::string filename;  ///< as the engine reported it
  std::shared_ptr<const std::u16string> fileText;
  std::vector<action> actions;
  ZoSpan triggerspan;
  int32_t triggerLine = -1;
  std::shared_ptr<SpanMapFunction> spanMap;
};

}  // namespace Quillfern::ZoCodeInspections::Native
