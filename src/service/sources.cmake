target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/engine_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/service_operations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zo_file_parser.cpp
)
if(WIN32)
  # The engine library is a delayed import, bound on its first call; the
  # platform layer's notification hook loads it from this library's folder.
  include(ZociDelayImport)
  zoci_delay_import(zoci_core zolibclang2.dll ${CMAKE_CURRENT_LIST_DIR}/zolibclang2.def)
endif()
