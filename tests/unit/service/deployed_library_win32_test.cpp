// Loads the product DLL the way a host does: through its delayed import it
// must bind the engine next to itself, ahead of any other on the search
// path, or explain clearly that there is none.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "interop/interop2.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
namespace fs = std::filesystem;

namespace {

// interop2's mangled name: the library's only export.
constexpr const char* kInterop2 = "_ZN9Quillfern17ZoCodeInspections6Native8interop2Ev";

fs::path FileOf(HMODULE module) {
  wchar_t file[32768];
  const DWORD n = GetModuleFileNameW(module, file, static_cast<DWORD>(std::size(file)));
  return fs::path(std::wstring(file, n));
}

fs::path BuildFolder() { return FileOf(nullptr).parent_path().parent_path(); }

fs::path Deployed(const char* name) { return BuildFolder() / "deployed" / name; }

std::string InitializeFrom(const fs::path& folder) {
  HMODULE library = LoadLibraryW((folder / ZOCI_PRODUCT_FILE).c_str());
  if (library == nullptr) return "LoadLibrary failed: " + std::to_string(GetLastError());
  auto entry = reinterpret_cast<Native::IZoCodeInspectionsInterop2& (*)()>(
      reinterpret_cast<void*>(GetProcAddress(library, kInterop2)));
  if (entry == nullptr) return "no interop2 export";
  return entry().Initialize("", false);
}

fs::path LoadedEngineFile() {
  HMODULE engine = GetModuleHandleW(L"zolibclang2.dll");
  return engine == nullptr ? fs::path() : FileOf(engine);
}

// One flow, in this order: once an engine is loaded, the system's search
// finds it by name, so the copy without an engine must come first.
TEST(DeployedLibrary, BindsTheEngineNextToItselfAndOnlyThere) {
  const fs::path without = Deployed("without-engine");
  const std::string error = InitializeFrom(without);
  EXPECT_EQ(error.rfind("error: cannot load the engine library zolibclang2.dll from " + (without / "").string(), 0), 0u)
      << error;
  EXPECT_EQ(LoadedEngineFile(), fs::path());

  // Another engine on the search path does not win over the one beside the DLL.
  ASSERT_TRUE(SetDllDirectoryW((BuildFolder() / "testengine").c_str()));
  const fs::path with = Deployed("with-engine");
  EXPECT_EQ(InitializeFrom(with), "Clang testengine(false) testengine(true)");
  EXPECT_EQ(LoadedEngineFile(), with / "zolibclang2.dll");
  SetDllDirectoryW(nullptr);
}

}  // namespace
