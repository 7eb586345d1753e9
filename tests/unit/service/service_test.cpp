// The service entry: Initialize and ForwardToEngine against a scripted engine.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "service/service.h"
#include "support/scripted_engine.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
namespace Platform = Native::Platform;

namespace {

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = Platform::GetEnvironment("TMP").value_or("/tmp");
    Platform::SetEnvironment("TMP", "unchanged");
  }
  void TearDown() override { Platform::SetEnvironment("TMP", saved); }
  zotest::TempDir dir;
  std::string saved;
  zotest::ScriptedEngine engine;
  Native::ZoCodeInspectionsInterop2 service{[this]() -> Native::IZOClangTidy& { return engine; }};
};

TEST_F(ServiceTest, InitializeGivesBothVersionsAndSetsTmpToAnExistingOrOneLevelNewFolderOrLeavesIt) {
  const std::string existing = dir.Path().string() + "/./";
  const std::string created = (dir.Path() / "new").string();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "unchanged"},
      {existing, existing},
      {created, created},
      {(dir.Path() / "missing" / "tmp").string(), "unchanged"}};
  for (const auto& [folder, tmp] : cases) {
    EXPECT_EQ(service.Initialize(folder, false), "Clang scripted(false) scripted(true)") << folder;
    EXPECT_EQ(Platform::GetEnvironment("TMP"), tmp) << folder;
    EXPECT_STREQ(getenv("TMP"), tmp.c_str());  // the runtime's copy too
    Platform::SetEnvironment("TMP", "unchanged");
  }
  EXPECT_TRUE(std::filesystem::is_directory(created));
  EXPECT_EQ(engine.Calls().front().arguments, std::vector<std::string>{"true"});  // asked first
}

TEST_F(ServiceTest, ForwardToEnginePassesItsWordsAndAZeroAndReturnsTheAnswer) {
  zotest::EngineScript script;
  script.forward = [](uint32_t a, uint32_t b, uint32_t c) { return a * 1000 + b * 10 + c; };
  engine.SetScript(script);
  EXPECT_EQ(service.ForwardToEngine(7, 3), 7030u);
  const auto calls = engine.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].operation, "ForwardedOperation");
  EXPECT_EQ(calls[0].arguments, (std::vector<std::string>{"7", "3", "0"}));
}

// The engine is made on first need and kept; one that cannot be made is
// reported and tried again by the next call.
TEST(ServiceEngine, IsMadeOnceAndAFailureIsReportedAndTriedAgain) {
  int attempts = 0;
  zotest::ScriptedEngine engine;
  Native::ZoCodeInspectionsInterop2 service{[&]() -> Native::IZOClangTidy& {
    if (++attempts == 1) throw Native::EngineUnavailable("no engine here");
    return engine;
  }};
  EXPECT_EQ(service.Initialize("", false), "error: no engine here");
  EXPECT_EQ(service.ForwardToEngine(1, 2), 3u);
  EXPECT_EQ(service.ForwardToEngine(1, 2), 3u);
  EXPECT_EQ(attempts, 2);
}

}  // namespace
