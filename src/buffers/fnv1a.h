// The 32-bit FNV-1a hash that every file-name set and map of the buffers
// code uses, over the bytes of a UTF-8 or UTF-16 string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Quillfern::ZoCodeInspections::Native {

/// 32-bit FNV-1a over `size` bytes.
inline uint32_t Fnv1a32(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 16777619u;
  }
  return hash;
}

/// Hasher for unordered containers keyed by UTF-8 or UTF-16 strings.
struct Fnv1aHash {
  size_t operator()(std::string_view text) const { return Fnv1a32(text.data(), text.size()); }
  size_t operator()(std::u16string_view text) const { return Fnv1a32(text.data(), text.size() * sizeof(char16_t)); }
};

}  // namespace Quillfern::ZoCodeInspections::Native
