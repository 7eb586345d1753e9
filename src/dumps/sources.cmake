target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/files_report.cpp
)
