# The C++ examples of the guides (docs/examples/*.cpp) are ordinary client
# programs: built against the public headers only, beside the CLI, and run by
# the tests, which compare what they print with docs/examples/NAME.out.
file(GLOB PIPEDEX_DOC_EXAMPLES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/examples/*.cpp)
foreach(source ${PIPEDEX_DOC_EXAMPLES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(docs-example-${name} ${source})
  target_link_libraries(docs-example-${name} PRIVATE pipedex)
  target_compile_features(docs-example-${name} PRIVATE cxx_std_20)
  pipedex_compile_options(docs-example-${name})
  add_dependencies(pipedex_tests docs-example-${name})
endforeach()

# The packaging tests install the build tree into a temporary prefix.
if(PIPEDEX_MAN_PAGE_FILE)
  set(PIPEDEX_MAN_PAGE_BUILT 1)
else()
  set(PIPEDEX_MAN_PAGE_BUILT 0)
endif()
get_target_property(PIPEDEX_CLI_INSTALL_RPATH pipedex_cli INSTALL_RPATH)
target_compile_definitions(pipedex_tests PRIVATE
  PIPEDEX_CMAKE_COMMAND="${CMAKE_COMMAND}"
  PIPEDEX_BINARY_DIR="${PROJECT_BINARY_DIR}"
  PIPEDEX_VERSION="${PROJECT_VERSION}"
  PIPEDEX_INSTALL_LIBDIR="${CMAKE_INSTALL_LIBDIR}"
  PIPEDEX_INSTALL_RULES=$<BOOL:${PIPEDEX_INSTALL}>
  PIPEDEX_TOOL_RUNPATH=$<BOOL:${PIPEDEX_CLI_INSTALL_RPATH}>
  PIPEDEX_MAN_PAGE_BUILT=${PIPEDEX_MAN_PAGE_BUILT})
