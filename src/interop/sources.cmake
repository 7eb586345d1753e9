target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/engine_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_result.cpp
  ${CMAKE_CURRENT_LIST_DIR}/service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/service_operations.cpp
)
