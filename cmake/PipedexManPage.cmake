# The man page of pipedex, generated from its --help at build time by
# help2man, with a section per command and the examples one a line
# (PipedexManInclude.cmake). Without help2man (or when the tool cannot run on the build
# machine) the build goes on without a man page.
find_program(PIPEDEX_HELP2MAN help2man)
if(PIPEDEX_MAN_PAGE AND PIPEDEX_HELP2MAN AND NOT CMAKE_CROSSCOMPILING)
  set(PIPEDEX_MAN_PAGE_FILE ${PROJECT_BINARY_DIR}/man/pipedex.1)
  add_custom_command(
    OUTPUT ${PIPEDEX_MAN_PAGE_FILE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:pipedex_cli> -DOUT=${PROJECT_BINARY_DIR}/man/pipedex.h2m
      -DDOCDIR=${CMAKE_INSTALL_DATAROOTDIR}/doc/pipedex/docs -P ${CMAKE_CURRENT_LIST_DIR}/PipedexManInclude.cmake
    COMMAND ${CMAKE_COMMAND} -E env PIPEDEX_REGISTRY=/nonexistent
      ${PIPEDEX_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
      "--name=questions and answers about a piping material catalogue"
      --include=${PROJECT_BINARY_DIR}/man/pipedex.h2m --output=${PIPEDEX_MAN_PAGE_FILE} $<TARGET_FILE:pipedex_cli>
    DEPENDS pipedex_cli ${CMAKE_CURRENT_LIST_DIR}/PipedexManInclude.cmake
    COMMENT "Generating the man page of pipedex with help2man")
  add_custom_target(pipedex_man ALL DEPENDS ${PIPEDEX_MAN_PAGE_FILE})
else()
  if(PIPEDEX_MAN_PAGE)
    message(STATUS "help2man not found: pipedex is built without its man page")
  endif()
  add_custom_target(pipedex_man)
endif()
