zoci_layer(buffers DEPENDS hostlib interop mapping platform utf SOURCES
  clfile.cpp
  encodings.cpp
  file_keys.cpp
  file_loading.cpp
  source_cache.cpp
)
