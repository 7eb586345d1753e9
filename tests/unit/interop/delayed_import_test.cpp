// The engine as a delayed import: bound on the first engine call, loaded by
// the notification hook from the folder of the module that holds the
// library's code. This program lives in a folder of its own with a copy of
// the scripted engine, so that the library's module (the program) has an
// engine beside it.
#include <windows.h>
#include <delayimp.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "interop/engine_loader.h"
#include "platform/platform.h"
#include "support/program_folder.h"

namespace Native = Quillfern::ZoCodeInspections::Native;
namespace fs = std::filesystem;

namespace {

std::string LowerFileOf(HMODULE module) {
  char file[4096];
  const DWORD n = GetModuleFileNameA(module, file, sizeof(file));
  return Native::Platform::AsciiLower(std::string(file, n));
}

std::string LowerBesideThisProgram(const char* name) {
  return Native::Platform::AsciiLower((zotest::ProgramFolder() / name).string());
}

HMODULE Notify(unsigned notification, const char* dll) {
  DelayLoadInfo info{};
  info.cb = sizeof(info);
  info.szDll = dll;
  return reinterpret_cast<HMODULE>(__pfnDliNotifyHook2(notification, &info));
}

TEST(DelayedImport, TheFirstEngineCallBindsTheEngineBesideTheModule) {
  Native::IZOClangTidy& engine = Native::Engine();
  EXPECT_EQ(engine.GetVersionText(true), "testengine(true)");
  EXPECT_EQ(&engine, &clang::tidy::clangtidy());
  HMODULE loaded = GetModuleHandleA("zolibclang2.dll");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(LowerFileOf(loaded), LowerBesideThisProgram("zolibclang2.dll"));
}

TEST(DelayedImport, TheHookLoadsTheEngineFromTheModulesFolderWhateverTheCase) {
  HMODULE module = Notify(dliNotePreLoadLibrary, "ZOLIBCLANG2.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(LowerFileOf(module), LowerBesideThisProgram("zolibclang2.dll"));
  FreeLibrary(module);
}

TEST(DelayedImport, TheHookLeavesMissingFilesOtherLibrariesAndNotificationsToTheHelper) {
  EXPECT_EQ(Notify(dliNotePreLoadLibrary, "zolibclang2d.dll"), nullptr);  // not in this folder
  EXPECT_EQ(Notify(dliNotePreLoadLibrary, "ole32.dll"), nullptr);
  EXPECT_EQ(Notify(dliStartProcessing, "zolibclang2.dll"), nullptr);
  EXPECT_EQ(Notify(dliNotePreGetProcAddress, "zolibclang2.dll"), nullptr);
}

}  // namespace
