target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/mapper_factories.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf_index_mapper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf_index_mapper_16_to_8.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf_index_mapper_8_to_16.cpp
)
