# `docs`: the API reference of the public headers, HTML in build/docs/html.
# Doxygen fails on any warning, so an undocumented public member fails the
# target and the test that runs it.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  message(STATUS "doxygen not found: no docs target")
  return()
endif()

set(VENDRAL_DOCS_OUTPUT ${CMAKE_BINARY_DIR}/docs)
configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${VENDRAL_DOCS_OUTPUT}/Doxyfile @ONLY)
file(GLOB_RECURSE VENDRAL_PUBLIC_HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/include/vendral/*.h)
add_custom_command(
  OUTPUT ${VENDRAL_DOCS_OUTPUT}/html/index.html
  COMMAND ${DOXYGEN_EXECUTABLE} ${VENDRAL_DOCS_OUTPUT}/Doxyfile
  DEPENDS ${VENDRAL_DOCS_OUTPUT}/Doxyfile ${VENDRAL_PUBLIC_HEADERS} ${PROJECT_SOURCE_DIR}/docs/mainpage.md
          ${PROJECT_SOURCE_DIR}/docs/namespaces.dox
  WORKING_DIRECTORY ${VENDRAL_DOCS_OUTPUT}
  COMMENT "API documentation in ${VENDRAL_DOCS_OUTPUT}/html"
  VERBATIM)
add_custom_target(docs DEPENDS ${VENDRAL_DOCS_OUTPUT}/html/index.html)

# The same settings on a header with an undocumented member, for the test that
# shows the check fails where it should.
set(VENDRAL_DOCS_PROBE_OUTPUT ${CMAKE_BINARY_DIR}/docs-probe)
file(WRITE ${VENDRAL_DOCS_PROBE_OUTPUT}/Doxyfile
  "@INCLUDE = ${VENDRAL_DOCS_OUTPUT}/Doxyfile\n"
  "INPUT = ${PROJECT_SOURCE_DIR}/tests/docs/undocumented.h\n"
  "USE_MDFILE_AS_MAINPAGE =\n"
  "STRIP_FROM_PATH = ${PROJECT_SOURCE_DIR}/tests/docs\n"
  "OUTPUT_DIRECTORY = ${VENDRAL_DOCS_PROBE_OUTPUT}\n")
