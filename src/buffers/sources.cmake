target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/clfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encodings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_loading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/source_cache.cpp
)
