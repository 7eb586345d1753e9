# Warnings are errors in our own code (never in third-party headers, which are
# included as system headers).
function(zoci_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                             -Wnon-virtual-dtor -Werror)
  endif()
endfunction()
