// Loads the product library the way a host does and checks that it finds the
// engine in its own folder, or explains clearly that it cannot.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "interop/interop2.h"

namespace Native = Quillfern::ZoCodeInspections::Native;

namespace {

// interop2's mangled name: the library's only export.
constexpr const char* kInterop2 = "_ZN9Quillfern17ZoCodeInspections6Native8interop2Ev";

std::string InitializeFrom(const std::string& folder) {
  void* library = dlopen((folder + "/" + ZOCI_PRODUCT_FILE).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return std::string("dlopen failed: ") + dlerror();
  auto entry = reinterpret_cast<Native::IZoCodeInspectionsInterop2& (*)()>(dlsym(library, kInterop2));
  if (entry == nullptr) return "no interop2 export";
  return entry().Initialize("", false);
}

TEST(DeployedLibrary, FindsTheEngineNextToItself) {
  EXPECT_EQ(InitializeFrom(ZOCI_WITH_ENGINE), "Clang testengine(false) testengine(true)");
}

// The error names the file, both the folder's files it tried and the default
// search that failed too.
TEST(DeployedLibrary, WithoutAnEngineInitializeExplainsWhatIsMissing) {
  const std::string folder = std::string(ZOCI_WITHOUT_ENGINE) + "/";
  const std::string text = InitializeFrom(ZOCI_WITHOUT_ENGINE);
  EXPECT_EQ(text.rfind("error: cannot load the engine library libzolibclang2.so from " + folder, 0), 0u) << text;
  EXPECT_NE(text.find(folder + "libzolibclang2d.so"), std::string::npos) << text;
  EXPECT_NE(text.find("default search"), std::string::npos) << text;
}

}  // namespace
