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

TEST(EngineMsvcCommandLine, StandardHeadersInspectWithoutCompilerErrors) {
  const struct {
    const char* file;  ///< a header is inspected as C++
    bool target64Bit;
    const char* standard;  ///< replaces -std=c++17
  } cases[] = {{"code.cpp", true, "-std=c++17"},
               {"code.cpp", false, "-std=c++17"},
               {"code.cpp", true, "-std=c++2a"},
               {"code.h", true, "-std=c++17"},
               {"code.c", false, "-std=c++17"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.standard + (c.target64Bit ? " x64" : " x86"));
    TempDir folder;
    const bool cplusplus = !std::string(c.file).ends_with(".c");
    EngineRequest request =
        FileRequest(folder.Write(c.file, cplusplus ? kCppSource : kCSource), "-*,readability-braces-around-statements");
    request.compilerArgs = LibraryCompilerArgs(cplusplus, c.target64Bit);
    std::replace(request.compilerArgs.begin(), request.compilerArgs.end(), std::string("-std=c++17"),
                 std::string(c.standard));
    const EngineRunResult run = RunEngine(RealEngine(), request);
    EXPECT_EQ(run.exitCode, 0) << run.diagnostics << run.errors;
    EXPECT_EQ(CountLines(run.diagnostics, "error:"), 0) << run.diagnostics;
    EXPECT_EQ(CountLines(run.diagnostics, "warning:"), 0) << run.diagnostics;
  }
}

}  // namespace
}  // namespace zotest
