// The file provider decides what the compiler reads: served texts win over
// the disk, for the main file and for headers, whether or not they exist on
// disk; every path is asked once per run and folders never.
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

constexpr const char* kNullptrCheck = "-*,modernize-use-nullptr";

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

EngineRequest RequestFor(const TempDir& folder, const std::string& file, ServedTexts& served) {
  EngineRequest request = FileRequest(folder.Path() / file, kNullptrCheck);
  request.provider = served.Provider();
  return request;
}

TEST(EngineProvider, ServedTextsWinOverTheDiskForTheMainFileAndHeadersAndKeepTheirIdentity) {
  TempDir folder;
  const auto main = folder.Write("main.cpp", "int* First() { return nullptr; }\n");
  const auto saved = folder.Write("inc/saved.h", "#pragma once\n");
  ServedTexts served;
  served.texts[main.string()] = std::make_shared<const std::string>(
      "#include \"inc/saved.h\"\n#include \"unsaved.h\"\n\nint* Fourth() { return 0; }\n");
  served.texts[saved.string()] = std::make_shared<const std::string>("#pragma once\nint* Saved() { return 0; }\n");
  // A second spelling of the served header must still be the same file for #pragma once.
  served.texts[(folder.Path() / "unsaved.h").string()] = std::make_shared<const std::string>(
      "#pragma once\n#include \"inc/../inc/saved.h\"\nint* Unsaved() { return 0; }\n");
  const EngineRunResult run = RunEngine(RealEngine(), RequestFor(folder, "main.cpp", served));

  EXPECT_THAT(run.diagnostics, HasSubstr(main.string() + ":4:24: warning: use nullptr [modernize-use-nullptr]"));
  EXPECT_THAT(run.diagnostics, HasSubstr("    4 | int* Fourth() { return 0; }"));
  EXPECT_THAT(run.fixesYaml, HasSubstr("FileOffset:      68"));
  EXPECT_EQ(CountLines(run.diagnostics, "saved.h:2:23: warning: use nullptr"), 1) << run.diagnostics;
  EXPECT_EQ(CountLines(run.diagnostics, "unsaved.h:3:25: warning: use nullptr"), 1) << run.diagnostics;
  EXPECT_EQ(CountLines(run.diagnostics, "error:"), 0) << run.diagnostics;
  EXPECT_EQ(run.exitCode, 0) << run.errors;
}

TEST(EngineProvider, IsAskedOncePerPathNeverForFoldersAndAnAbsentAnswerLetsTheDiskDecide) {
  TempDir folder;
  const auto main = folder.Write("main.cpp", "#include \"inc/a.h\"\n#include \"inc/a.h\"\n#include <vector>\n"
                                             "int* Zero() { return 0; }\n");
  folder.Write("inc/a.h", "#pragma once\n");
  ServedTexts served;
  const EngineRunResult run = RunEngine(RealEngine(), RequestFor(folder, "main.cpp", served));

  EXPECT_THAT(run.diagnostics, HasSubstr(main.string() + ":4:22: warning: use nullptr"));
  EXPECT_EQ(served.questions[main.string()], 1);
  EXPECT_EQ(served.questions[(folder.Path() / "inc/a.h").string()], 1);
  EXPECT_GT(served.questions.size(), 10u) << "the standard headers are asked for too";
  for (const auto& [path, count] : served.questions) {
    EXPECT_EQ(count, 1) << path;
    EXPECT_FALSE(std::filesystem::is_directory(path)) << path;
  }
}

}  // namespace
}  // namespace zotest
