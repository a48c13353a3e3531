# Installation (cmake --install), the CMake package, the pkg-config file and
# the Debian packages (make package, through CPack).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VENDRAL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vendral)

install(TARGETS vendral EXPORT VendralTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT VendralTargets NAMESPACE Vendral:: DESTINATION ${VENDRAL_CMAKE_DIR}
  COMPONENT development)
# The core's headers; the widget library's go with it below.
install(DIRECTORY include/vendral DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development
  PATTERN widgets EXCLUDE)

if(TARGET vendral_widgets)
  set_target_properties(vendral_widgets PROPERTIES EXPORT_NAME widgets)
  install(TARGETS vendral_widgets EXPORT VendralWidgetsTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
  install(EXPORT VendralWidgetsTargets NAMESPACE Vendral:: DESTINATION ${VENDRAL_CMAKE_DIR}
    COMPONENT development)
  # The Win32 face's headers (widgets/win32) are the Windows build's.
  install(DIRECTORY include/vendral/widgets DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vendral
    COMPONENT development PATTERN win32 EXCLUDE)
endif()
set_target_properties(vendral PROPERTIES EXPORT_NAME vendral)

if(TARGET prodwell)
  install(TARGETS prodwell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
  # Manual pages are installed compressed, as Debian's are.
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/prodwell.1.gz
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/prodwell.1 > ${CMAKE_CURRENT_BINARY_DIR}/prodwell.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/prodwell.1)
  add_custom_target(prodwell_manual ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/prodwell.1.gz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/prodwell.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
endif()

# The Python client: pure Python, where Debian's interpreters find packages.
set(VENDRAL_PYTHON_INSTALL_DIR lib/python3/dist-packages CACHE STRING
  "Folder (under the prefix) of the Python client package")
install(DIRECTORY python/vendral DESTINATION ${VENDRAL_PYTHON_INSTALL_DIR} COMPONENT python
  FILES_MATCHING PATTERN "*.py" PATTERN __pycache__ EXCLUDE)

add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/changelog > ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/changelog)
add_custom_target(vendral_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

# Each package carries the copyright statement and the change log.
foreach(component_package runtime:libvendral1 development:libvendral-dev tools:prodwell
        python:python3-vendral)
  string(REPLACE ":" ";" pair ${component_package})
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES docs/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR}/../${package} COMPONENT ${component})
endforeach()

configure_package_config_file(cmake/VendralConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VendralConfig.cmake INSTALL_DESTINATION ${VENDRAL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VendralConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VendralConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/VendralConfigVersion.cmake
  DESTINATION ${VENDRAL_CMAKE_DIR} COMPONENT development)
configure_file(cmake/vendral.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vendral.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vendral.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

# Debian packages: the libraries, the development files and the tools.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vendral)
set(CPACK_PACKAGE_VENDOR "Vendral")
set(CPACK_PACKAGE_CONTACT "Vendral developers <developers@vendral.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "CRM database access library and the Prodwell synchronizer kick")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development tools python)
# The package files are named vendral-*.deb, so that one wildcard installs all.
set(CPACK_DEBIAN_RUNTIME_FILE_NAME vendral-libvendral1_${PROJECT_VERSION}_amd64.deb)
set(CPACK_DEBIAN_DEVELOPMENT_FILE_NAME vendral-libvendral-dev_${PROJECT_VERSION}_amd64.deb)
set(CPACK_DEBIAN_TOOLS_FILE_NAME vendral-prodwell_${PROJECT_VERSION}_amd64.deb)
set(CPACK_DEBIAN_PYTHON_FILE_NAME vendral-python3-vendral_${PROJECT_VERSION}_all.deb)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# prodwell links the library of the runtime package, found in the build tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/library/widgets)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/deb-runtime/triggers)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libvendral1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The drivers are loaded by the driver manager, so no shared-library link
# names them: the runtime package asks for them itself.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "unixodbc (>= 2.3), libsqliteodbc | odbc-postgresql")
# CApplication hands documents and URLs to the desktop's opener.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvendral-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libvendral1 (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME prodwell)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "libvendral1 (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-vendral)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
# Pure Python: the interpreter and the library it loads through ctypes.
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3:any, libvendral1 (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "Python client of the Vendral CRM database components
 A late-bound client in pure Python: creates CDatabase, CProgressBar and
 CSplash by ProgID and calls them through their dispatch interfaces.")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "Vendral CRM database access library
 Shared libraries for tools that work on the relational database of a CRM
 application through ODBC: connections from a settings file, query helpers,
 record ids from the Sequence table, statement execution with the travel
 transaction log, and the Qt widget library.")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "Vendral CRM database access library (development files)
 Headers, the CMake package and the pkg-config file of the Vendral library.")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "Makes the CRM synchronizer send appointments and tasks again
 Prodwell records every appointment and task that the CRM synchronizer
 already knows and that is due on or after a date once more in the travel
 transaction log.")
include(CPack)
