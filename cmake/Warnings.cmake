# One warning set for every target of the project.
function(korvel_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
    if(KORVEL_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
      -Wcast-align -Wformat=2 -Wimplicit-fallthrough)
    if(KORVEL_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
