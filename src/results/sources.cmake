zoci_layer(results DEPENDS buffers contract interop platform SOURCES
  claim_groups.cpp
  claims.cpp
  diagnostic_conversion.cpp
  directives.cpp
  qfix_order.cpp
  qfix_text.cpp
  span_mapping.cpp
)
