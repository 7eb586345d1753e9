zoci_layer(dumps DEPENDS buffers platform results SOURCES
  files_report.cpp
  folder_dump.cpp
  last_yaml_text.cpp
)
