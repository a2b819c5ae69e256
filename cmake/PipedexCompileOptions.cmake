# Warnings, sanitizers and fuzzing instrumentation for Pipedex's own targets only, so that a parent
# project that embeds Pipedex keeps its own flags.
function(pipedex_compile_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${PIPEDEX_WERROR}>:-Werror>)
  # Each function and datum in a section of its own, so that a program linked from the objects can
  # leave out what it never uses (the pipedex tool does: less code to map at every start).
  target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
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
