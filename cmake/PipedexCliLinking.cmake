# How the pipedex tool gets the library. A process that asks one question of
# a compiled index spends most of its time in the dynamic linker, and most of
# that on libstdc++ binding its own symbols. So the tool carries the library's
# objects, pugixml, utf8proc and the C++ runtime inside itself, and needs only
# the C library at run time. It then counts the folder its shared library lies
# in (the build's lib/, or the installed prefix's) as the library's own, where
# it looks for the catalogue and the installed registry file.
#
# It leaves out the functions nothing calls (about a fifth of its code), so a
# start maps fewer pages of it.
#
# It links the shared library instead when the static archives are missing or
# a sanitizer is on (the sanitizers' runtimes replace the C++ allocation
# functions, which a static C++ runtime would hide from them).
option(PIPEDEX_SELF_CONTAINED_CLI "Build the pipedex tool with the library and the C++ runtime inside it" ON)
find_library(PIPEDEX_PUGIXML_ARCHIVE NAMES libpugixml.a)
find_library(PIPEDEX_UTF8PROC_ARCHIVE NAMES libutf8proc.a)

set(PIPEDEX_CLI_STATIC OFF)
if(PIPEDEX_SELF_CONTAINED_CLI AND PIPEDEX_PUGIXML_ARCHIVE AND PIPEDEX_UTF8PROC_ARCHIVE
   AND NOT PIPEDEX_SANITIZE AND NOT PIPEDEX_FUZZ AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize"
   AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(PIPEDEX_CLI_STATIC ON)
endif()

file(RELATIVE_PATH PIPEDEX_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
if(PIPEDEX_CLI_STATIC)
  target_sources(pipedex_cli PRIVATE $<TARGET_OBJECTS:pipedex_objects>)
  target_include_directories(pipedex_cli PRIVATE ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(pipedex_cli PRIVATE pipedex_protocol CLI11::CLI11
    ${PIPEDEX_PUGIXML_ARCHIVE} ${PIPEDEX_UTF8PROC_ARCHIVE} ${CMAKE_DL_LIBS})
  target_link_options(pipedex_cli PRIVATE -static-libstdc++ -static-libgcc -Wl,--gc-sections)
  target_compile_definitions(pipedex_cli PRIVATE
    PIPEDEX_CLI_BIN_TO_LIB="${PIPEDEX_BIN_TO_LIB}"
    PIPEDEX_CLI_BUILD_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
    PIPEDEX_CLI_BUILD_LIB_DIR="${PIPEDEX_OUT}")
  add_dependencies(pipedex_cli pipedex_data)
else()
  # libstdc++ first among the libraries the tool needs: at start-up the dynamic linker looks for each of
  # the some 1,700 symbols libstdc++ binds to itself in the tool, then in these libraries in this order,
  # and now finds it in the first. None of the others defines one of them, so each binds as before.
  target_link_libraries(pipedex_cli PRIVATE $<$<CXX_COMPILER_ID:GNU>:stdc++> pipedex_protocol pipedex CLI11::CLI11)
endif()
