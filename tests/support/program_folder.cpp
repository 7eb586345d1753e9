#include "support/program_folder.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace zotest {

std::filesystem::path ProgramFolder() {
#if defined(_WIN32)
  wchar_t file[32768];
  const DWORD n = GetModuleFileNameW(nullptr, file, static_cast<DWORD>(std::size(file)));
  return std::filesystem::path(std::wstring(file, n)).parent_path();
#else
  return std::filesystem::canonical("/proc/self/exe").parent_path();
#endif
}

}  // namespace zotest
