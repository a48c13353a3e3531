# The data-layer GoogleTest suites of the Linux build, compiled from the same
# sources with MinGW and run under Wine (scripts/wine-tests.sh), on SQLite.
# GoogleTest comes from Debian's source package, built here with the same
# compiler; nothing is downloaded.
set(VENDRAL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest)")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VENDRAL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The same library with the internals these suites reach exported, as a DLL of
# its own (vendral-tests.dll), so that vendral.dll ships exporting its
# programming interface alone.
vendral_windows_library(vendral_tests)
set_target_properties(vendral_tests PROPERTIES OUTPUT_NAME vendral-tests)
target_compile_definitions(vendral_tests PUBLIC VENDRAL_EXPORT_TEST_INTERNALS)

set(TESTS_DIR ${PROJECT_SOURCE_DIR}/tests)
add_library(vendral_wine_test_support STATIC
  ${TESTS_DIR}/support/main.cpp
  ${TESTS_DIR}/support/test_database.cpp
  ${TESTS_DIR}/support/test_database_windows.cpp
  ${TESTS_DIR}/support/heap_usage_windows.cpp)
target_include_directories(vendral_wine_test_support PUBLIC ${TESTS_DIR} ${PROJECT_SOURCE_DIR}/library)
target_link_libraries(vendral_wine_test_support PUBLIC vendral_tests gtest odbc32 advapi32)
# The schema is read through drive Z:, Wine's view of the host's root.
target_compile_definitions(vendral_wine_test_support PUBLIC
  VENDRAL_TEST_SCHEMA="Z:${TESTS_DIR}/support/crm_schema.sql")

# Left out here, each for a reason of its own (the Linux build runs them all):
#   concurrency_test: child processes with fork, and PostgreSQL only;
#   opening_refusals_test: fork, a FIFO and POSIX file modes;
#   opening_settings_test: the settings file's POSIX owner-only modes;
#   change_commit_faults_test, connection_faults_test: the fault-injecting
#     driver is a host library of the Linux build and takes its orders from the
#     Unix environment (setenv), which a Windows program does not change.
file(GLOB DATA_SUITES CONFIGURE_DEPENDS ${TESTS_DIR}/data/*.cpp)
list(FILTER DATA_SUITES EXCLUDE REGEX
  "/(concurrency|opening_refusals|opening_settings|change_commit_faults|connection_faults)_test\\.cpp$")
add_executable(data_tests ${DATA_SUITES})
target_link_libraries(data_tests PRIVATE vendral_wine_test_support)

file(GLOB ODBC_SUITES CONFIGURE_DEPENDS ${TESTS_DIR}/odbc/*.cpp)
add_executable(odbc_tests ${ODBC_SUITES})
target_link_libraries(odbc_tests PRIVATE vendral_wine_test_support)

# The settings and desktop suites, those that hold on Windows. Left out:
#   atomic_write_test: its writers are child processes made with fork;
#   version_info_test: the library's own version-resource reader, which only
#     the Linux build has (the Windows build asks the system; wine-tests.sh
#     compares the two on the same files);
#   network_drives_test: GVfs mounts, set up through setenv;
#   capplication_*_test: X11 and POSIX processes (application_control.exe
#     tests CApplication against a real Windows window).
set(SETTINGS_SUITES boundary_input file_encoding ini_values password_encoding registry_lookup threads)
list(TRANSFORM SETTINGS_SUITES REPLACE "(.+)" "${TESTS_DIR}/settings/\\1_test.cpp")
add_executable(settings_tests ${SETTINGS_SUITES})
target_link_libraries(settings_tests PRIVATE vendral_wine_test_support odbccp32)

set(DESKTOP_SUITES cfile_exists progress_counter)
list(TRANSFORM DESKTOP_SUITES REPLACE "(.+)" "${TESTS_DIR}/desktop/\\1_test.cpp")
add_executable(desktop_tests ${DESKTOP_SUITES})
target_link_libraries(desktop_tests PRIVATE vendral_wine_test_support)
target_include_directories(desktop_tests PRIVATE ${TESTS_DIR}/desktop)
