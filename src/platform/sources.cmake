if(WIN32)
  target_sources(zoci_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/platform_win32.cpp)
  # The shell and COM libraries are delayed imports too (their DLLs load on
  # first use, by the default search).
  include(ZociDelayImport)
  zoci_delay_import(zoci_core ole32.dll ${CMAKE_CURRENT_LIST_DIR}/ole32.def)
  zoci_delay_import(zoci_core shell32.dll ${CMAKE_CURRENT_LIST_DIR}/shell32.def)
else()
  target_sources(zoci_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/platform_posix.cpp)
endif()
target_sources(zoci_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/text_helpers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/platform_threads.cpp)
