zoci_layer(mapping DEPENDS interop utf SOURCES
  mapper_factories.cpp
  utf_index_mapper.cpp
  utf_index_mapper_16_to_8.cpp
  utf_index_mapper_8_to_16.cpp
)
