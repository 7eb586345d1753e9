// The file provider decides what the compiler reads: served texts win over
// the disk, for the main file and for headers, whether or not they exist on
// disk, and an absent answer lets the disk decide; every path is asked once
// per run, folders and the toolchain's files never.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "e2e_samples.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

using testing::HasSubstr;

/// Serves texts by path and counts every question.
struct ServedTexts {
  std::map<std::string, std::shared_ptr<const std::string>> texts;
  std::map<std::string, int> questions;

  FileProviderCallback Provider() {
    return [this](std::string_view, std::string_view path) -> std::optional<ProvidedFile> {
      ++questions[std::string(path)];
      auto found = texts.find(std::string(path));
      if (found == texts.end()) return std::nullopt;
      return ProvidedFile{found->second, 1700000000};
    };
  }
};

TEST(EngineProvider, ServedTextsWinOverTheDiskKeepTheirIdentityAndEachPathIsAskedOnceNeverAFolder) {
  TempDir folder;
  const auto main = folder.Write("main.cpp", "int* First() { return nullptr; }\n");
  const auto saved = folder.Write("inc/saved.h", "#pragma once\n");
  folder.Write("inc/disk.h", "#pragma once\nint* Disk() { return 0; }\n");
  ServedTexts served;
  served.texts[main.string()] = std::make_shared<const std::string>(
      "#include \"inc/saved.h\"\n#include \"unsaved.h\"\n#include \"inc/disk.h\"\n#include \"inc/disk.h\"\n"
      "#include <vector>\nint* Sixth() { return 0; }\n");
  served.texts[saved.string()] = std::make_shared<const std::string>("#pragma once\nint* Saved() { return 0; }\n");
  // A second spelling of the served header must still be the same file for #pragma once.
  served.texts[(folder.Path() / "unsaved.h").string()] = std::make_shared<const std::string>(
      "#pragma once\n#include \"inc/../inc/saved.h\"\nint* Unsaved() { return 0; }\n");
  EngineRequest request = FileRequest(main, "-*,modernize-use-nullptr");
  request.provider = served.Provider();
  const EngineRunResult run = RunEngine(RealEngine(), request);

  EXPECT_THAT(run.diagnostics, HasSubstr(main.string() + ":6:23: warning: use nullptr [modernize-use-nullptr]"));
  EXPECT_THAT(run.diagnostics, HasSubstr("    6 | int* Sixth() { return 0; }"));
  EXPECT_THAT(run.fixesYaml, HasSubstr("FileOffset:      128"));
  EXPECT_EQ(CountLines(run.diagnostics, "saved.h:2:23: warning: use nullptr"), 1) << run.diagnostics;
  EXPECT_EQ(CountLines(run.diagnostics, "unsaved.h:3:25: warning: use nullptr"), 1) << run.diagnostics;
  EXPECT_EQ(CountLines(run.diagnostics, "disk.h:2:22: warning: use nullptr"), 1) << run.diagnostics;
  EXPECT_EQ(CountLines(run.diagnostics, "error:"), 0) << run.diagnostics;
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_GT(served.questions.size(), 10u) << "the standard headers are asked for too";
  for (const auto& [path, count] : served.questions) {
    EXPECT_EQ(count, 1) << path;
    EXPECT_FALSE(std::filesystem::is_directory(path)) << path;
    // Only what the compiler reads as source: not the toolchain the driver
    // looks at before it starts.
    EXPECT_NE(std::filesystem::path(path).extension(), ".o") << path;
    EXPECT_NE(path.rfind("/etc/", 0), 0u) << path;
  }
}

}  // namespace
}  // namespace zotest
