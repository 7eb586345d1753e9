// Win32 implementation of the platform layer, including the notification
// hook of the delayed imports that loads the engine library.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// windows.h first: the headers after it build on its declarations.
#include <windows.h>

#include <delayimp.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <system_error>

#include "platform/platform.h"
#include "utf/utf_conversion.h"

namespace Quillfern::ZoCodeInspections::Native::Platform {

namespace {

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// The system's text for an error code, followed by the code itself.
std::string SystemMessage(DWORD error) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = text != nullptr ? text : "";
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
    message.pop_back();
  }
  return message + (message.empty() ? "" : " ") + "(error " + std::to_string(error) + ")";
}

// 100-ns ticks between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDifferenceTicks = 116444736000000000LL;

}  // namespace

// ---- Files -----------------------------------------------------------------

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) CloseHandle(AsHandle(handle_));
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

File::~File() {
  if (IsOpen()) CloseHandle(AsHandle(handle_));
}

std::optional<uint64_t> File::Size() const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(AsHandle(handle_), &size)) return std::nullopt;
  return static_cast<uint64_t>(size.QuadPart);
}

std::optional<int64_t> File::LastWriteTime() const {
  FILETIME written;
  if (!GetFileTime(AsHandle(handle_), nullptr, nullptr, &written)) return std::nullopt;
  const int64_t ticks = (static_cast<int64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  return ticks / 10000000 - 11644473600LL;
}

bool FileNamesFoldCase() { return true; }

std::u16string PathToUtf16(std::string_view utf8Path) { return Utf8ToUtf16(utf8Path.data(), utf8Path.size()); }

OpenResult OpenForRead(const std::u16string& path) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    switch (GetLastError()) {
      case ERROR_SHARING_VIOLATION: return OpenResult{OpenOutcome::sharingViolation, File{}};
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND: return OpenResult{OpenOutcome::notFound, File{}};
      default: return OpenResult{OpenOutcome::otherError, File{}};
    }
  }
  return OpenResult{OpenOutcome::ok, File{reinterpret_cast<intptr_t>(h)}};
}

void MappedView::Release() noexcept {
  if (data_ != nullptr) UnmapViewOfFile(data_);
  if (mapping_ != -1) CloseHandle(AsHandle(mapping_));
}

MappedView MapReadOnly(const File& file, size_t size) {
  MappedView view;
  if (!file.IsOpen() || size == 0) return view;
  const uint64_t bytes = size;
  HANDLE mapping = CreateFileMappingW(AsHandle(file.Handle()), nullptr, PAGE_READONLY, static_cast<DWORD>(bytes >> 32),
                                      static_cast<DWORD>(bytes), nullptr);
  if (mapping == nullptr) return view;
  void* data = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size);
  if (data == nullptr) {
    CloseHandle(mapping);
    return view;
  }
  view.data_ = data;
  view.size_ = size;
  view.mapping_ = reinterpret_cast<intptr_t>(mapping);
  return view;
}

// ---- Code pages ----------------------------------------------------------

namespace {
[[noreturn]] void ThrowConversionError(uint32_t codePage) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                          "code page " + std::to_string(codePage) + " is not available");
}
}  // namespace

std::u16string AnsiToUtf16(const char* bytes, size_t size, uint32_t codePage) {
  if (size == 0) return std::u16string();
  const int inSize = static_cast<int>(size);
  int units = MultiByteToWideChar(codePage, 0, bytes, inSize, nullptr, 0);
  if (units == 0) ThrowConversionError(codePage);
  std::u16string out(static_cast<size_t>(units), u'\0');
  units = MultiByteToWideChar(codePage, 0, bytes, inSize, reinterpret_cast<wchar_t*>(out.data()), units);
  if (units == 0) ThrowConversionError(codePage);
  out.resize(static_cast<size_t>(units));
  return out;
}

// ---- Threads, GUIDs, time, environment -------------------------------------

Guid NewGuid() {
  GUID g{};
  CoCreateGuid(&g);
  Guid out{};
  static_assert(sizeof(GUID) == sizeof(Guid));
  std::memcpy(out.data(), &g, sizeof g);
  return out;
}

int64_t WallClockTicks() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const int64_t ticks = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return ticks - kEpochDifferenceTicks;
}

std::optional<std::tm> LocalTime(int64_t seconds) {
  const __time64_t t = seconds;
  std::tm result{};
  if (_localtime64_s(&result, &t) != 0) return std::nullopt;
  return result;
}

void SetEnvironment(const std::string& name, const std::string& value) { _putenv_s(name.c_str(), value.c_str()); }

std::optional<std::string> GetEnvironment(const std::string& name) {
  const DWORD needed = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::string value(needed, '\0');
  const DWORD got = GetEnvironmentVariableA(name.c_str(), value.data(), needed);
  value.resize(got);
  return value;
}

CreateDirOutcome CreateDirectoryOneLevel(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return CreateDirOutcome::created;
  return GetLastError() == ERROR_ALREADY_EXISTS ? CreateDirOutcome::alreadyExists : CreateDirOutcome::failed;
}

// ---- Modules ---------------------------------------------------------------

std::string ModuleFolder() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&ModuleFolder), &module)) {
    return std::string();
  }
  std::string file(4096, '\0');
  const DWORD n = GetModuleFileNameA(module, file.data(), static_cast<DWORD>(file.size()));
  if (n == 0 || n >= file.size()) return std::string();
  file.resize(n);
  const size_t slash = file.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

Library OpenLibrary(const std::string& path) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module != nullptr) return Library{module, {}};
  return Library{nullptr, path + ": " + SystemMessage(GetLastError())};
}

Library OpenLibraryByName(const std::string& name) { return OpenLibrary(name); }

void* FindSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

std::string SharedLibraryName(const std::string& base) { return base + ".dll"; }

namespace {

// The notification hook of the delayed imports. Before the helper loads the
// engine library (release or debug name), the hook loads it from the folder
// of the module that holds this code, so that a host finds the engine next to
// this library whatever its own folder and search path. An empty answer (no
// such file there, another library, another notification) lets the helper
// proceed by default, with the system's search.
FARPROC WINAPI DliHook(unsigned notification, PDelayLoadInfo info) noexcept {
  if (notification != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) {
    return nullptr;
  }
  if (StrICmp(info->szDll, "zolibclang2.dll") != 0 && StrICmp(info->szDll, "zolibclang2d.dll") != 0) {
    return nullptr;
  }
  try {
    const std::string folder = ModuleFolder();
    if (folder.empty()) return nullptr;
    return reinterpret_cast<FARPROC>(LoadLibraryA((folder + info->szDll).c_str()));
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

}  // namespace Quillfern::ZoCodeInspections::Native::Platform

// Installs the hook: this definition takes the place of libmingwex's empty
// default (the Microsoft toolchain declares the variable const).
extern "C" {
#if defined(_MSC_VER)
const
#endif
    PfnDliHook __pfnDliNotifyHook2 = &Quillfern::ZoCodeInspections::Native::Platform::DliHook;
}

namespace Quillfern::ZoCodeInspections::Native::Platform {

// ---- Folder chooser ----------------------------------------------------------

std::optional<std::string> ChooseFolder(const std::string& title) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOA info{};
  info.lpszTitle = title.c_str();
  info.ulFlags = 0x71;  // file-system folders only, edit box, validate, new dialog style
  PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
  if (item == nullptr) return std::nullopt;
  char path[MAX_PATH] = {};
  SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  return std::string(path);
}

}  // namespace Quillfern::ZoCodeInspections::Native::Platform
