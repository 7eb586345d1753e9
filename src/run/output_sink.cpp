#include "run/output_sink.h"

#include <utility>

namespace Quillfern::ZoCodeInspections::Native {

const OutputKey& ErrorStreamKey() {
  static const OutputKey key{int32_t{2}};
  return key;
}

const OutputKey& StandardOutputKey() {
  static const OutputKey key{std::string("-")};
  return key;
}

const OutputKey& FixesFileKey() {
  static const OutputKey key{std::string(kFixesFileName)};
  return key;
}

bool OutputSink::operator()(const OutputKey& key, CapturedOutputs& outputs) {
  if (key != ErrorStreamKey() && key != StandardOutputKey() && key != FixesFileKey()) return false;
  captured_ = &outputs;
  return true;
}

std::string TakeOutput(CapturedOutputs& outputs, const OutputKey& key) {
  auto found = outputs.find(key);
  if (found == outputs.end() || !found->second) return std::string();
  return std::exchange(*found->second, std::string());
}

}  // namespace Quillfern::ZoCodeInspections::Native
