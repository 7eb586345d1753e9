// Generated C++ sources that carry real-world text (characters of one to four
// UTF-8 bytes, tabs, CRLF and lone CR line ends, long lines, NUL bytes in
// comments, code page 1252 text, several scripts) before and inside code that
// the compared checks diagnose and fix. Needs no header, so a run is quick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace difftest {

/// Where the generator's decisions come from.
class Choices {
 public:
  virtual ~Choices() = default;
  /// A number in [0, count), count > 0.
  virtual uint32_t Below(uint32_t count) = 0;
};

/// Decisions from a seeded pseudo-random sequence: the same seed gives the
/// same source on every machine.
class SeededChoices : public Choices {
 public:
  explicit SeededChoices(uint64_t seed) : engine_(seed) {}
  uint32_t Below(uint32_t count) override { return static_cast<uint32_t>(engine_() % count); }

 private:
  std::mt19937_64 engine_;
};

/// Decisions read from bytes (a fuzzer's input); 0 once they run out.
class ByteChoices : public Choices {
 public:
  ByteChoices(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t Below(uint32_t count) override;

 private:
  const uint8_t* data_;
  size_t size_;
  size_t next_ = 0;
};

/// The checks whose findings the generated sources provoke.
extern const char* const kGeneratedChecks;

/// A C++17 source (UTF-8, without BOM) that compiles without errors. With
/// `ansiOnly` every character is one that code page 1252 has.
std::string GenerateSource(Choices& choices, bool ansiOnly);

}  // namespace difftest
