# The C++ examples of the guides (docs/examples/*.cpp) are ordinary client
# programs: built against the public headers only, beside the CLI, and run by
# the tests, which compare what they print with docs/examples/NAME.out.
file(GLOB PIPEDEX_DOC_EXAMPLES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/examples/*.cpp)
foreach(source ${PIPEDEX_DOC_EXAMPLES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(docs-example-${name} ${source})
  target_link_libraries(docs-example-${name} PRIVATE pipedex)
  add_dependencies(pipedex_tests docs-example-${name})
endforeach()

# The packaging tests install the build tree into a temporary prefix.
target_compile_definitions(pipedex_tests PRIVATE
  PIPEDEX_CMAKE_COMMAND="${CMAKE_COMMAND}"
  PIPEDEX_BINARY_DIR="${CMAKE_BINARY_DIR}"
  PIPEDEX_VERSION="${PROJECT_VERSION}")
