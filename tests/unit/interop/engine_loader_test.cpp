// Loading the engine library from a folder, and the clear error without one.
#include <gtest/gtest.h>

#include <filesystem>

#include "interop/engine_loader.h"
#include "platform/platform.h"
#include "support/program_folder.h"
#include "support/temp_dir.h"

namespace Native = Quillfern::ZoCodeInspections::Native;

namespace Platform = Native::Platform;
using zotest::TestEngineFolder;

namespace {

// First: where one program runs all tests in one process (cross builds),
// an engine loaded earlier would be found by name by the default search.
TEST(EngineLoader, AFolderWithoutTheEngineGivesAnErrorNamingFileAndFolders) {
  zotest::TempDir empty;
  const std::string folder = (empty.Path() / "").string();
  auto load = Native::LoadEngineFrom(folder);
  if (load.engine != nullptr) GTEST_SKIP() << "an engine is installed on the default search path";
  const std::string release = Platform::SharedLibraryName("zolibclang2");
  EXPECT_NE(load.error.find("cannot load the engine library " + release), std::string::npos);
  EXPECT_NE(load.error.find(folder + release), std::string::npos);
  EXPECT_NE(load.error.find(folder + Platform::SharedLibraryName("zolibclang2d")), std::string::npos);
  EXPECT_NE(load.error.find("default search"), std::string::npos);
}

TEST(EngineLoader, LoadsTheEngineFromTheGivenFolder) {
  auto load = Native::LoadEngineFrom(TestEngineFolder());
  ASSERT_NE(load.engine, nullptr) << load.error;
  EXPECT_EQ(load.engine->GetVersionText(true), "testengine(true)");
  EXPECT_EQ(load.engine->QueryInterfaceIdentity(), Native::kInterfaceIdentity);
}

}  // namespace
