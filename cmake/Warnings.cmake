# Warning flags for the project's own targets; SEVALUNE_WERROR turns them into errors.
# The flags are for C++ sources only, so that resource scripts in a target are left alone.
function(sevalune_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:/W4 /utf-8 /permissive- $<$<BOOL:${SEVALUNE_WERROR}>:/WX>>)
  else()
    target_compile_options(${target} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
      -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough
      $<$<BOOL:${SEVALUNE_WERROR}>:-Werror>>)
  endif()
endfunction()
