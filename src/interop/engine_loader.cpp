#include "interop/engine_loader.h"

#include <atomic>
#include <mutex>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

// The engine's export, clang::tidy::clangtidy(), by its mangled name.
constexpr const char* kEntrySymbol = "_ZN5clang4tidy9clangtidyEv";
constexpr const char* kEngineNames[] = {"zolibclang2", "zolibclang2d"};

using EntryFunction = IZOClangTidy& (*)();

std::atomic<IZOClangTidy*> testEngine{nullptr};

IZOClangTidy* EngineOf(void* library, std::string& error) {
  auto entry = reinterpret_cast<EntryFunction>(Platform::FindSymbol(library, kEntrySymbol));
  if (entry == nullptr) {
    error += " (no clang::tidy::clangtidy export)";
    return nullptr;
  }
  return &entry();
}

IZOClangTidy* TryOpen(const Platform::Library& library, const std::string& where,
                      std::string& tried) {
  if (library.handle == nullptr) {
    tried += "\n  " + where + ": " + library.error;
    return nullptr;
  }
  std::string error;
  IZOClangTidy* engine = EngineOf(library.handle, error);
  if (engine == nullptr) tried += "\n  " + where + error;
  return engine;
}

}  // namespace

EngineLoad LoadEngineFrom(const std::string& folder) {
  std::string tried;
  for (const char* base : kEngineNames) {
    const std::string path = folder + Platform::SharedLibraryName(base);
    if (auto* engine = TryOpen(Platform::OpenLibrary(path), path, tried)) return {engine, {}};
  }
  const std::string name = Platform::SharedLibraryName(kEngineNames[0]);
  if (auto* engine = TryOpen(Platform::OpenLibraryByName(name), "default search for " + name, tried)) {
    return {engine, {}};
  }
  return {nullptr, "cannot load the engine library " + name + " from " + folder +
                       " or the default search path; tried:" + tried};
}

IZOClangTidy& Engine() {
  if (IZOClangTidy* engine = testEngine.load()) return *engine;
  static std::mutex mutex;
  static IZOClangTidy* loaded = nullptr;
  std::lock_guard lock(mutex);
  if (loaded == nullptr) {
    EngineLoad load = LoadEngineFrom(Platform::ModuleFolder());
    if (load.engine == nullptr) throw EngineUnavailable(load.error);
    loaded = load.engine;
  }
  return *loaded;
}

void SetEngineForTesting(IZOClangTidy* engine) { testEngine = engine; }

}  // namespace Quillfern::ZoCodeInspections::Native
