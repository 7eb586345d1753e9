# Warnings are errors in our own code (never in third-party headers, which are
# included as system headers).
function(zoci_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                             -Wnon-virtual-dtor -Werror)
    # GCC 12 at -O2 and above reports std::string's inlined copies as
    # overlapping (-Wrestrict), and members of moved aggregates holding strings
    # as maybe uninitialised, where neither can happen; GCC 13 is quieter.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-restrict -Wno-maybe-uninitialized)
    endif()
  endif()
endfunction()
