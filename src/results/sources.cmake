target_sources(zoci_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/claim_groups.cpp
  ${CMAKE_CURRENT_LIST_DIR}/claims.cpp
  ${CMAKE_CURRENT_LIST_DIR}/diagnostic_conversion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directives.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qfix_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qfix_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/span_mapping.cpp
)
