// Ordinary code under the library's MSVC-compatibility command line inspects
// on Linux without compiler errors: standard headers of C++17, C++20 and C,
// 32-bit and 64-bit targets, headers as C++, and the Microsoft extensions such
// code uses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "e2e_samples.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

constexpr const char* kCppSource = R"(#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <variant>

struct __declspec(novtable) Base {
  virtual ~Base() = default;
  virtual __int64 Value() const = 0;
};

struct Derived : Base {
  __int64 Value() const override { return __super::Value(); }
};

__forceinline int Twice(int value) { return value * 2; }

int Run(std::map<std::string, std::optional<int>>& named, std::variant<int, std::string> either, std::mutex& guard) {
  std::atomic<int> counter{0};
  std::lock_guard<std::mutex> lock(guard);
  return Twice(counter.load()) + std::get<int>(either) + static_cast<int>(named.size());
}
)";

constexpr const char* kCSource = R"(#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int Run(void) {
  char buffer[16];
  unsigned __int64 big = 1;
  snprintf(buffer, sizeof buffer, "%d", (int)strlen("abc"));
  return (int)big + atoi(buffer);
}
)";

struct MsvcCase {
  const char* name;
  const char* file;  ///< a header is inspected as C++
  bool cplusplus;
  bool target64Bit;
  const char* standard;  ///< replaces -std=c++17 when set
};

void PrintTo(const MsvcCase& c, std::ostream* out) { *out << c.name; }

class EngineMsvcCommandLine : public testing::TestWithParam<MsvcCase> {};

TEST_P(EngineMsvcCommandLine, StandardHeadersInspectWithoutCompilerErrors) {
  const MsvcCase& c = GetParam();
  TempDir folder;
  const auto source = folder.Write(c.file, c.cplusplus ? kCppSource : kCSource);
  EngineRequest request = FileRequest(source, "-*,readability-braces-around-statements");
  request.compilerArgs = LibraryCompilerArgs(c.cplusplus, c.target64Bit);
  if (c.standard != nullptr) {
    std::replace(request.compilerArgs.begin(), request.compilerArgs.end(), std::string("-std=c++17"),
                 std::string(c.standard));
  }
  const EngineRunResult run = RunEngine(RealEngine(), request);

  EXPECT_EQ(run.exitCode, 0) << run.diagnostics << run.errors;
  EXPECT_EQ(CountLines(run.diagnostics, "error:"), 0) << run.diagnostics;
  EXPECT_EQ(CountLines(run.diagnostics, "warning:"), 0) << run.diagnostics;
}

INSTANTIATE_TEST_SUITE_P(Targets, EngineMsvcCommandLine,
                         testing::Values(MsvcCase{"cpp17_x64", "code.cpp", true, true, nullptr},
                                         MsvcCase{"cpp17_x86", "code.cpp", true, false, nullptr},
                                         MsvcCase{"cpp20_x64", "code.cpp", true, true, "-std=c++2a"},
                                         MsvcCase{"header_x64", "code.h", true, true, nullptr},
                                         MsvcCase{"c_x86", "code.c", false, false, nullptr}),
                         [](const testing::TestParamInfo<MsvcCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace zotest
