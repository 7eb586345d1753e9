target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/files_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_dump.cpp
  ${CMAKE_CURRENT_LIST_DIR}/last_yaml_text.cpp
)
