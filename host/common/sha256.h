// SHA-256, the content hash that names the result cache's entries.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zoci {

/// Hashes bytes fed in pieces; Hex() ends the hash.
class Sha256 {
 public:
  Sha256();
  Sha256& Add(std::string_view bytes);
  /// The digest as 64 lowercase hex digits; the object is spent afterwards.
  std::string Hex();

 private:
  void Block(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> pending_{};
  size_t pendingBytes_ = 0;
  uint64_t totalBytes_ = 0;
};

/// The SHA-256 digest of `bytes` in hex.
std::string Sha256Hex(std::string_view bytes);

}  // namespace zoci
