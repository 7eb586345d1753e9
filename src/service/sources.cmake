zoci_layer(service DEPENDS buffers contract dumps hooks hostlib interop mapping platform results run
  SOURCES engine_loader.cpp service.cpp service_operations.cpp zo_file_parser.cpp)
if(WIN32)
  # The engine library is a delayed import, bound on its first call; the
  # platform layer's notification hook loads it from this library's folder.
  include(ZociDelayImport)
  zoci_delay_import(zoci_service zolibclang2.dll ${CMAKE_CURRENT_LIST_DIR}/zolibclang2.def)
endif()
