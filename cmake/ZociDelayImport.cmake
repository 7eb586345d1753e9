# Delayed imports for mingw-w64 builds: a DLL named in a delay-import library
# is loaded on the first call of one of its functions, through the
# delayed-import helper of libmingwex, which asks the notification hook
# (__pfnDliNotifyHook2) before it searches for the DLL itself.
#
# zoci_delay_import(<target> <dll> <def>) makes the delay-import library of
# <dll> from the module-definition file <def> and links it to <target>
# (publicly, so every program that links <target> binds the same way). <def>
# names functions as the 32-bit import library does: stdcall functions carry
# their "@<argument bytes>" suffix, which is dropped for 64-bit targets, and
# the DLL's export names are the undecorated ones.
function(zoci_delay_import target dll def)
  get_filename_component(base ${dll} NAME_WE)
  set(folder ${CMAKE_BINARY_DIR}/delayimp)
  set(library ${folder}/lib${base}.delay.a)
  # Run in the output folder: dlltool names the library's symbols after the
  # output file as given.
  set(def_for_target ${folder}/${base}.def)
  file(READ ${def} text)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
  endif()
  file(WRITE ${def_for_target}.in "${text}")
  configure_file(${def_for_target}.in ${def_for_target} COPYONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  add_custom_command(OUTPUT ${library}
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${base}.def --dllname ${dll}
            --output-delaylib lib${base}.delay.a
    DEPENDS ${def_for_target}
    WORKING_DIRECTORY ${folder}
    COMMENT "Delay-import library for ${dll}"
    VERBATIM)
  add_custom_target(${base}_delay_import DEPENDS ${library})
  add_dependencies(${target} ${base}_delay_import)
  target_link_libraries(${target} PUBLIC ${library})
endfunction()
