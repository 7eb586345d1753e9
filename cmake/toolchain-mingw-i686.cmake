# The product's target: 32-bit Windows DLLs. Built here, not run: these
# machines cannot execute 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZOCI_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
