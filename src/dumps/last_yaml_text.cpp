#include "dumps/last_yaml_text.h"

#include <mutex>
#include <utility>

namespace Quillfern::ZoCodeInspections::Native {

namespace {
std::mutex yamlMutex;
std::string lastYaml;
}  // namespace

std::string LastYamlText() {
  std::lock_guard lock(yamlMutex);
  return lastYaml;
}

void StoreLastYamlText(std::string text) {
  std::lock_guard lock(yamlMutex);
  lastYaml = std::move(text);
}

}  // namespace Quillfern::ZoCodeInspections::Native
