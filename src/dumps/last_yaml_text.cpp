#include "dumps/last_yaml_text.h"

#include <utility>

namespace Quillfern::ZoCodeInspections::Native {

std::string LastYamlText::Text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

void LastYamlText::Store(std::string text) {
  std::lock_guard lock(mutex_);
  text_ = std::move(text);
}

}  // namespace Quillfern::ZoCodeInspections::Native
