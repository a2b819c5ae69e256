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

