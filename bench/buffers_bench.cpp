// Source files are detected and mapped on every inspection: these measure
// detection, mapper building and span mapping against plain memory speed.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "buffers/encodings.h"
#include "mapping/utf_index_mappers.h"

namespace Native = Quillfern::ZoCodeInspections::Native;

namespace {

constexpr size_t kSourceSize = 4 << 20;

/// About 4 MiB of C++ source: ASCII code lines of typical lengths (about 31
/// bytes on average, like the headers of a C++ standard library), with a
/// comment line in non-ASCII UTF-8 every `nonAsciiEvery` lines. Real sources
/// carry far fewer (libstdc++ and LLVM headers: about one line in 10,000).
std::string MakeSource(size_t nonAsciiEvery) {
  static const char* const code[] = {
      "#include <vector>\n",
      "namespace demo {\n",
      "\n",
      "/// Sums the values of a range, skipping the negative ones.\n",
      "template <typename Range, typename Value = typename Range::value_type>\n",
      "int Sum(const Range& values, Value threshold = Value()) {\n",
      "  int total = 0;  // running total of the accepted values\n",
      "  for (const auto& value : values) {\n",
      "    if (value < threshold) continue;\n",
      "    total += static_cast<int>(value);\n",
      "  }\n",
      "  return total;\n",
      "}\n",
      "\n",
      "struct Point {\n",
      "  double x = 0.0, y = 0.0;\n",
      "  bool operator==(const Point&) const = default;\n",
      "  Point Scaled(double factor) const { return {x * factor, y * factor}; }\n",
      "};\n",
      "}  // namespace demo\n",
  };
  const char* nonAscii =
      "// Gr\xC3\xB6\xC3\x9F"
      "e in \xC2\xB5m, Temperatur in \xC2\xB0"
      "C, Preis in \xE2\x82\xAC\n";
  std::string text;
  text.reserve(kSourceSize + 128);
  for (size_t line = 1; text.size() < kSourceSize; ++line) {
    text += line % nonAsciiEvery == 0 ? nonAscii : code[line % std::size(code)];
  }
  text.resize(kSourceSize);
  return text;
}

/// The source of the targets: non-ASCII in one line of 200.
const std::string& MostlyAsciiSource() {
  static const std::string source = MakeSource(200);
  return source;
}

/// For information: non-ASCII in one line of 10.
const std::string& DenseSource() {
  static const std::string source = MakeSource(10);
  return source;
}

void BM_Memcpy(benchmark::State& state) {
  const std::string& source = MostlyAsciiSource();
  std::string target(source.size(), '\0');
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_Memcpy);

void DetectEncodingOf(benchmark::State& state, const std::string& source) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Native::DetectEncoding(source.data(), source.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

void BM_DetectEncoding(benchmark::State& state) { DetectEncodingOf(state, MostlyAsciiSource()); }
BENCHMARK(BM_DetectEncoding);

void BM_DetectEncodingDense(benchmark::State& state) { DetectEncodingOf(state, DenseSource()); }
BENCHMARK(BM_DetectEncodingDense);

void BuildMapperOf(benchmark::State& state, const std::string& text) {
  const auto source = std::make_shared<const std::string>(text);
  for (auto _ : state) {
    Native::UtfIndexMapper8_to_16 mapper(source);
    benchmark::DoNotOptimize(mapper.Utf16View().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source->size()));
}

void BM_BuildMapper(benchmark::State& state) { BuildMapperOf(state, MostlyAsciiSource()); }
BENCHMARK(BM_BuildMapper);

void BM_BuildMapperDense(benchmark::State& state) { BuildMapperOf(state, DenseSource()); }
BENCHMARK(BM_BuildMapperDense);

/// Maps random short spans in a file of 100,000 lines of 80 characters.
void BM_MapSpan(benchmark::State& state) {
  constexpr uint32_t kLines = 100000;
  constexpr uint32_t kLineLength = 81;  // 80 characters and the line break
  std::string text;
  text.reserve(size_t{kLines} * kLineLength);
  for (uint32_t line = 0; line < kLines; ++line) {
    text += std::string(80, static_cast<char>('a' + line % 26));
    text += '\n';
  }
  const Native::UtfIndexMapper8_to_16 mapper(std::make_shared<const std::string>(std::move(text)));
  std::mt19937 random(42);
  std::uniform_int_distribution<uint32_t> lineOf(0, kLines - 1);
  std::uniform_int_distribution<uint32_t> columnOf(0, 70);
  std::uniform_int_distribution<uint32_t> lengthOf(0, 10);
  std::vector<std::pair<uint32_t, uint32_t>> spans(4096);
  for (auto& span : spans) {
    span.first = lineOf(random) * kLineLength + columnOf(random);
    span.second = span.first + lengthOf(random);
  }
  size_t next = 0;
  for (auto _ : state) {
    const auto& [begin8, end8] = spans[next++ % spans.size()];
    uint32_t begin16 = 0;
    uint32_t end16 = 0;
    benchmark::DoNotOptimize(
        mapper.MapSpan(begin16, end16, begin8, end8, nullptr, nullptr, Native::Utf8Origin::textStart));
    benchmark::DoNotOptimize(end16);
  }
}
BENCHMARK(BM_MapSpan);

}  // namespace

BENCHMARK_MAIN();
