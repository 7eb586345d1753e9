# The product's target: 32-bit Windows DLLs. Built here, not run: these
# machines cannot execute 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZOCI_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)

# Every CPU that runs the IDE has SSE2; without the flag the 32-bit compiler
# would build the byte-block scans as plain loops.
set(CMAKE_C_FLAGS_INIT "-msse2")
set(CMAKE_CXX_FLAGS_INIT "-msse2")
