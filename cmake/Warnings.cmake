# Warnings are on everywhere; the portable core and tests treat them as errors.
function(wiz_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
    -Wcast-align -Wunused -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
  if(NOT WIZ_NO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
