zoci_layer(hooks DEPENDS contract hostlib interop SOURCES
  array_hooks.cpp
  bool_literal_hook.cpp
  braces_hook.cpp
  clang_object_hooks.cpp
  hook_call.cpp
  hook_dispatcher.cpp
  loop_convert_hooks.cpp
)

# Three behaviours read clang objects that the engine passes. Their reader is
# the one file compiled against clang's headers (the library never links
# clang); a build without those headers takes a reader that fails with a
# clear error instead.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(zoci_clang_objects_default ON)
else()
  set(zoci_clang_objects_default OFF)
endif()
option(ZOCI_HOOKS_CLANG_OBJECTS
  "Let the check hooks read clang objects (needs the LLVM 19 headers, not its libraries)"
  ${zoci_clang_objects_default})
set(ZOCI_CLANG_INCLUDE_DIR /usr/lib/llvm-19/include CACHE PATH
  "The LLVM 19 headers the clang object reader is compiled against")

if(ZOCI_HOOKS_CLANG_OBJECTS)
  if(NOT EXISTS ${ZOCI_CLANG_INCLUDE_DIR}/clang/Lex/Token.h)
    message(FATAL_ERROR "ZOCI_HOOKS_CLANG_OBJECTS needs clang's headers, not found in "
      "ZOCI_CLANG_INCLUDE_DIR=${ZOCI_CLANG_INCLUDE_DIR}; install libclang-19-dev or "
      "configure with -DZOCI_HOOKS_CLANG_OBJECTS=OFF")
  endif()
  add_library(zoci_clang_object_reader OBJECT ${CMAKE_CURRENT_LIST_DIR}/clang_object_reader.cpp)
  target_include_directories(zoci_clang_object_reader PRIVATE ${ZOCI_LAYER_ROOTS}/hooks)
  target_include_directories(zoci_clang_object_reader SYSTEM PRIVATE ${ZOCI_CLANG_INCLUDE_DIR})
  # Header-only use of LLVM: no link-time check against its libraries.
  target_compile_definitions(zoci_clang_object_reader PRIVATE
    LLVM_DISABLE_ABI_BREAKING_CHECKS_ENFORCING=1)
  # UBSan's vptr check would refer to clang's type information, which lives
  # in its libraries.
  if(NOT MSVC)
    target_compile_options(zoci_clang_object_reader PRIVATE -fno-sanitize=vptr)
  endif()
  zoci_warnings(zoci_clang_object_reader)
  target_sources(zoci_hooks PRIVATE $<TARGET_OBJECTS:zoci_clang_object_reader>)
else()
  target_sources(zoci_hooks PRIVATE ${CMAKE_CURRENT_LIST_DIR}/clang_object_reader_absent.cpp)
endif()
