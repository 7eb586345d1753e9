target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/encoding_detection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf_conversion.cpp
)
