// What the library makes of a run's configuration and of compiler errors,
// through the whole library (service, parser, real engine): option values
// reach their checks as written, a run the engine refuses fails with its
// message, an error without a position is reported, and the ".clang-tidy"
// files above a source apply whether or not options are given.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine_driver.h"
#include "interop/interop2.h"
#include "service/service.h"
#include "support/temp_dir.h"

namespace zotest {
namespace {

using namespace Quillfern::ZoCodeInspections::Native;
using ::testing::HasSubstr;
using ::testing::Not;

/// A null pointer written through a macro that modernize-use-nullptr only
/// reports when the macro is among its NullMacros.
constexpr const char* kMacroSource = "#define MYNULL 0\nint* p = MYNULL;\n";

class LibraryRunOutcomes : public ::testing::Test {
 protected:
  ZoCodeInspectionsInterop2 service{RealEngine};  ///< a fresh service for every test

  std::unique_ptr<RunResult> Parse(const std::string& path, const std::string& checks, CheckOptions options = {},
                                   InspectionSettings settings = {}) {
    settings.keepFixlessDiagnostics = true;
    std::unique_ptr<IZoFileParser> parser(service.CreateFileParser(path, settings));
    std::unique_ptr<RunResult> result = parser->Parse(0, UnsavedBuffers{}, checks, "", options);
    if (!result) ADD_FAILURE() << path << ": no result";
    return result;
  }

  static std::vector<std::string> Checks(const RunResult& result) {
    std::vector<std::string> checks;
    for (const qfix& fix : result.qfixes) checks.push_back(fix.checkname);
    return checks;
  }

  TempDir folder;
};

TEST_F(LibraryRunOutcomes, OptionValuesThatYamlReadsSpeciallyReachTheCheckAsWritten) {
  const std::string path = folder.Write("macro.cpp", kMacroSource).string();
  const std::vector<std::pair<std::string, size_t>> cases = {
      {"MYNULL,OTHER", 1},
      {"a: b,MYNULL", 1},
      {"^[a-z]{1,2}$,MYNULL", 1},
      {"-,MYNULL", 1},
      {"'MYNULL'", 0},
      {"", 0},
      {"-", 0},
      {"OTHER", 0},
  };
  for (const auto& [value, reported] : cases) {
    const auto result = Parse(path, "-*,modernize-use-nullptr", {{"modernize-use-nullptr.NullMacros", value}});
    ASSERT_TRUE(result);
    EXPECT_LT(result->status, 100) << value << ": " << result->errorText;
    EXPECT_EQ(result->qfixes.size(), reported) << value << ": " << result->errorText;
    EXPECT_THAT(result->errorText, Not(HasSubstr("invalid configuration"))) << value;
  }
}

TEST_F(LibraryRunOutcomes, ARunTheEngineRefusesFailsWithTheEnginesMessage) {
  const std::string path = folder.Write("plain.cpp", "int* p = 0;\n").string();
  const auto result = Parse(path, "-*");
  ASSERT_TRUE(result);
  EXPECT_GE(result->status, 100);
  EXPECT_THAT(result->errorText, HasSubstr("no checks enabled"));
  EXPECT_THAT(result->logText, HasSubstr("failed"));
}

TEST_F(LibraryRunOutcomes, ACompilerErrorWithoutPositionIsReportedAtTheStartOfTheMainFile) {
  const std::string path = folder.Write("main.cpp", "int* p = 0;\n").string();
  InspectionSettings settings;
  settings.forcedIncludes = {"missing-pch.h"};
  const auto result = Parse(path, "-*,modernize-use-nullptr", {}, settings);
  ASSERT_TRUE(result);
  ASSERT_FALSE(result->qfixes.empty()) << result->errorText;
  const qfix& error = result->qfixes.front();
  EXPECT_EQ(error.checkname, "clang-diagnostic-error");
  EXPECT_EQ(error.message, "'missing-pch.h' file not found");
  EXPECT_EQ(error.triggerLine, 0);
  EXPECT_EQ(error.triggerspan.start, 0u);
}

TEST_F(LibraryRunOutcomes, TheClangTidyFilesApplyWithOrWithoutCheckOptions) {
  folder.Write("project/.clang-tidy", "Checks: '-*,modernize-use-nullptr'\n");
  const std::string plain = folder.Write("project/plain.cpp", "int* p = 0;\n").string();
  const std::string directive =
      folder.Write("project/directive.cpp", "// ZOCI:option:modernize-use-nullptr.NullMacros=NULL\nint* p = 0;\n")
          .string();
  const std::vector<std::string> nullptrOnly = {"modernize-use-nullptr"};
  const auto bare = Parse(plain, "");
  ASSERT_TRUE(bare);
  EXPECT_EQ(Checks(*bare), nullptrOnly) << bare->errorText;
  const auto withOption = Parse(plain, "", {{"modernize-use-nullptr.NullMacros", "NULL"}});
  ASSERT_TRUE(withOption);
  EXPECT_EQ(Checks(*withOption), nullptrOnly) << withOption->errorText;
  const auto withDirective = Parse(directive, "");
  ASSERT_TRUE(withDirective);
  EXPECT_EQ(Checks(*withDirective), nullptrOnly) << withDirective->errorText;
}

}  // namespace
}  // namespace zotest
