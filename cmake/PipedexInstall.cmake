# What `cmake --install` puts where:
#
#   lib/libpipedex.so.0.1.0 (SONAME libpipedex.so.0) and its links
#   include/pipedex/*.h
#   bin/pipedex                          finds the library through its RPATH
#   lib/cmake/Pipedex/                   find_package(Pipedex) -> Pipedex::pipedex
#   lib/pkgconfig/pipedex.pc             pkg-config --cflags --libs pipedex
#   share/pipedex/SystemPipedex.xml      the sample catalogue (and its German variant)
#   share/pipedex/registry.reg           a registry file whose DataPath names it
#   share/pipedex/examples/              an example project overlay
#   share/doc/pipedex/                   README, the guides and their examples
#
# The installed library looks for its catalogue beside itself (lib/), then in
# lib/Data/, then through the registry file ($PIPEDEX_REGISTRY, else
# /etc/pipedex/registry.reg). Installing never writes to /etc: point
# PIPEDEX_REGISTRY at share/pipedex/registry.reg, or copy that file to /etc.
# Every path below is relative to the prefix, so `--prefix` and DESTDIR work.

include(CMakePackageConfigHelpers)

set(PIPEDEX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Pipedex)
set(PIPEDEX_DATA_DIR ${CMAKE_INSTALL_DATADIR}/pipedex)
set(PIPEDEX_STAGE ${CMAKE_BINARY_DIR}/install-stage)

install(TARGETS pipedex EXPORT PipedexTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/pipedex DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")

# The tool finds the library of its own prefix wherever the prefix lies.
file(RELATIVE_PATH PIPEDEX_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(pipedex_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${PIPEDEX_BIN_TO_LIB}")
install(TARGETS pipedex_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# CMake package: Pipedex::pipedex, with pugixml found for the consumer.
install(EXPORT PipedexTargets NAMESPACE Pipedex:: DESTINATION ${PIPEDEX_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/PipedexConfig.cmake.in
  ${PIPEDEX_STAGE}/PipedexConfig.cmake
  INSTALL_DESTINATION ${PIPEDEX_CMAKE_DIR}
  PATH_VARS PIPEDEX_DATA_DIR)
write_basic_package_version_file(${PIPEDEX_STAGE}/PipedexConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PIPEDEX_STAGE}/PipedexConfig.cmake ${PIPEDEX_STAGE}/PipedexConfigVersion.cmake
  DESTINATION ${PIPEDEX_CMAKE_DIR})

# pkg-config: the prefix is worked out from where the .pc file lies.
function(pipedex_pc_path var dir)
  if(IS_ABSOLUTE "${dir}")
    set(${var} "${dir}" PARENT_SCOPE)
  else()
    set(${var} "\${prefix}/${dir}" PARENT_SCOPE)
  endif()
endfunction()
file(RELATIVE_PATH PIPEDEX_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" PIPEDEX_PC_TO_PREFIX "${PIPEDEX_PC_TO_PREFIX}")
pipedex_pc_path(PIPEDEX_PC_LIBDIR ${CMAKE_INSTALL_LIBDIR})
pipedex_pc_path(PIPEDEX_PC_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
pipedex_pc_path(PIPEDEX_PC_DATADIR ${PIPEDEX_DATA_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/pipedex.pc.in ${PIPEDEX_STAGE}/pipedex.pc @ONLY)
install(FILES ${PIPEDEX_STAGE}/pipedex.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The sample catalogue, its language variant and an example project overlay
# (kept apart, so that it is not merged automatically).
install(FILES ${CMAKE_SOURCE_DIR}/data/SystemPipedex.xml ${CMAKE_SOURCE_DIR}/data/SystemPipedex.de.xml
  DESTINATION ${PIPEDEX_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/examples/ProjectPipedex.xml DESTINATION ${PIPEDEX_DATA_DIR}/examples)

# The registry file names the catalogue by its full installed path, which is
# known only at install time (`cmake --install --prefix` may change it).
configure_file(${CMAKE_CURRENT_LIST_DIR}/WriteRegistryFile.cmake.in ${PIPEDEX_STAGE}/WriteRegistryFile.cmake @ONLY)
install(SCRIPT ${PIPEDEX_STAGE}/WriteRegistryFile.cmake)
install(FILES ${PIPEDEX_STAGE}/registry.reg DESTINATION ${PIPEDEX_DATA_DIR})

set(PIPEDEX_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/pipedex)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${PIPEDEX_DOC_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${PIPEDEX_DOC_DIR})
