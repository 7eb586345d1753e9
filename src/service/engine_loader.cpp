#include "service/engine_loader.h"

#include <initializer_list>

#include "platform/platform.h"

namespace Quillfern::ZoCodeInspections::Native {

namespace {

// The engine's export, clang::tidy::clangtidy(), by its mangled name.
constexpr const char* kEntrySymbol = "_ZN5clang4tidy9clangtidyEv";
constexpr const char* kReleaseName = "zolibclang2";
constexpr const char* kDebugName = "zolibclang2d";

using EntryFunction = IZOClangTidy& (*)();

/// The engine's entry point, or why there is none.
struct EntryLookup {
  EntryFunction entry = nullptr;
  std::string error;
};

EntryFunction EntryOf(const Platform::Library& library, const std::string& where, std::string& tried) {
  if (library.handle == nullptr) {
    tried += "\n  " + where + ": " + library.error;
    return nullptr;
  }
  auto entry = reinterpret_cast<EntryFunction>(Platform::FindSymbol(library.handle, kEntrySymbol));
  if (entry == nullptr) tried += "\n  " + where + " (no clang::tidy::clangtidy export)";
  return entry;
}

// Opens each of `names` in `folder`, then the release name by the default
// search; the first library with the entry point wins and stays loaded.
EntryLookup FindEntry(const std::string& folder, std::initializer_list<const char*> names) {
  std::string tried;
  for (const char* base : names) {
    const std::string path = folder + Platform::SharedLibraryName(base);
    if (auto entry = EntryOf(Platform::OpenLibrary(path), path, tried)) return {entry, {}};
  }
  const std::string name = Platform::SharedLibraryName(kReleaseName);
  if (auto entry = EntryOf(Platform::OpenLibraryByName(name), "default search for " + name, tried)) {
    return {entry, {}};
  }
  return {nullptr,
          "cannot load the engine library " + name + " from " + folder + " or the default search path; tried:" + tried};
}

}  // namespace

#if defined(_WIN32)
// Windows: the engine is a delayed import of zolibclang2.dll, bound on the
// first call of clang::tidy::clangtidy(); the platform layer's notification
// hook loads it from this library's folder. The import helper reports a
// missing library or export with a structured exception, which C++ code
// cannot catch, so the same search runs first and turns a missing engine into
// a clear error. Only the release name counts: it is the one imported.
IZOClangTidy& LoadEngine() {
  const EntryLookup found = FindEntry(Platform::ModuleFolder(), {kReleaseName});
  if (found.entry == nullptr) throw EngineUnavailable(found.error);
  return clang::tidy::clangtidy();
}
#else
IZOClangTidy& LoadEngine() {
  const EntryLookup found = FindEntry(Platform::ModuleFolder(), {kReleaseName, kDebugName});
  if (found.entry == nullptr) throw EngineUnavailable(found.error);
  return found.entry();
}
#endif

EngineLoad LoadEngineFrom(const std::string& folder) {
  const EntryLookup found = FindEntry(folder, {kReleaseName, kDebugName});
  if (found.entry == nullptr) return {nullptr, found.error};
  return {&found.entry(), {}};
}

IZOClangTidy& EngineHandle::Get() {
  std::lock_guard lock(mutex_);
  if (engine_ == nullptr) engine_ = &factory_();
  return *engine_;
}

}  // namespace Quillfern::ZoCodeInspections::Native
