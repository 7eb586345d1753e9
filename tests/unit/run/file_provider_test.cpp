// What the engine is served during a run: converted files and unsaved
// buffers, each described in the run log; plain UTF-8 files are left to it.
#include <gmock/gmock.h>

#include "support/run_fixture.h"

namespace zotest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST_F(RunTest, ServesConvertedAnsiFilesAndUnsavedBuffersButNotPlainUtf8) {
  const auto main = dir.Write("a.cpp", "#include \"b.h\"\n").string();
  const auto ansi = dir.Write("b.h", "// caf\xE9\n").string();
  const auto plain = dir.Write("c.h", "// plain\n").string();
  const auto edited = dir.Write("d.h", "// on disk\n").string();
  EngineScript script = ScriptWithFixes("", std::nullopt);
  script.fileRequests = {{ansi, ansi}, {plain, plain}, {edited, edited}};
  engine.SetScript(script);
  UnsavedBuffers buffers{{edited, std::make_shared<const std::u16string>(u"// edited \u00E9\n")}};
  auto result = Parse(main, {}, 0, buffers);
  const auto answers = engine.ProviderAnswers();
  ASSERT_EQ(answers.size(), 3u);
  ASSERT_TRUE(answers[0].has_value());
  EXPECT_EQ(*answers[0]->first, "// caf\xC3\xA9\n");
  EXPECT_FALSE(answers[1].has_value());
  ASSERT_TRUE(answers[2].has_value());
  EXPECT_EQ(*answers[2]->first, "// edited \xC3\xA9\n");
  EXPECT_THAT(result->logText, HasSubstr("'" + ansi + "' ("));
  EXPECT_THAT(result->logText, HasSubstr("from ANSI, clang-side bom 0 (converted)\n"));
  EXPECT_THAT(result->logText, HasSubstr("'" + edited + "' ("));
  EXPECT_THAT(result->logText, HasSubstr("(modified buffer)"));
  EXPECT_THAT(result->logText, Not(HasSubstr("'" + plain + "'")));
}

TEST_F(RunTest, AnUnsavedMainFileIsInspectedAsEdited) {
  const auto main = dir.Write("a.cpp", "int x;\n").string();
  EngineScript script = ScriptWithFixes("", std::nullopt);
  script.fileRequests = {{main, main}};
  engine.SetScript(script);
  UnsavedBuffers buffers{{main, std::make_shared<const std::u16string>(u"// zoCI:skipall\n")}};
  EXPECT_EQ(Parse(main, {}, 0, buffers)->status, 2);
}

}  // namespace
}  // namespace zotest
