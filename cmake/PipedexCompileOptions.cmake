# Warnings, sanitizers and fuzzing instrumentation for Pipedex's own targets only, so that a parent
# project that embeds Pipedex keeps its own flags.
function(pipedex_compile_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${PIPEDEX_WERROR}>:-Werror>)
  if(PIPEDEX_SANITIZE)
    target_compile_options(${target} PRIVATE
      -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(PIPEDEX_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                           -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
