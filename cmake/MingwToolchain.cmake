# Shared part of the mingw-w64 toolchain files: the including file sets
# ZOCI_MINGW_TRIPLE (i686-w64-mingw32 or x86_64-w64-mingw32) first.
#
# The posix-threads compilers are used because the win32-threads variant lacks
# std::recursive_mutex. Everything links -static, so each DLL and test program
# imports only system DLLs (-static-libgcc -static-libstdc++ alone would still
# pull in libwinpthread-1.dll).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZOCI_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZOCI_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZOCI_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${ZOCI_MINGW_TRIPLE}-dlltool)
set(CMAKE_OBJDUMP ${ZOCI_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ZOCI_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
