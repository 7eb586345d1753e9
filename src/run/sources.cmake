zoci_layer(run DEPENDS buffers contract dumps hooks interop platform results SOURCES
  check_options.cpp
  command_line.cpp
  compiler_versions.cpp
  diagnostic_intake.cpp
  file_provider.cpp
  output_sink.cpp
  run_driver.cpp
  run_results.cpp
)
