# The same sources as 64-bit Windows programs, for running the unit suite
# under wine64.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZOCI_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
# Debian's /usr/bin/wine picks the 32-bit loader; wine64 runs natively.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
