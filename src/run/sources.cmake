target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/check_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/compiler_versions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_results.cpp
)
target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/diagnostic_intake.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_provider.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_sink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_driver.cpp
)
