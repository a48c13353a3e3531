# The Windows build (make windows): vendral.dll, the in-process component
# server with CDatabase, CFile, CApplication and the settings file, and
# prodwell.exe, the command-line kick. The same sources as on Linux; where a
# platform layer differs, foo_posix.cpp stands beside foo_windows.cpp and this
# file takes the Windows one. No Qt: the widget library is not built here.
# SimpleIni is one header; only that header is taken from the host's /usr/include.
find_file(SIMPLEINI_HEADER SimpleIni.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(SIMPLEINI_INCLUDE_DIR ${CMAKE_BINARY_DIR}/simpleini)
file(MAKE_DIRECTORY ${SIMPLEINI_INCLUDE_DIR})
file(CREATE_LINK ${SIMPLEINI_HEADER} ${SIMPLEINI_INCLUDE_DIR}/SimpleIni.h SYMBOLIC)
# The C++ runtime inside each file, so that both run on a bare Windows.
add_link_options(-static)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

file(GLOB VENDRAL_SOURCES CONFIGURE_DEPENDS
  library/base/*.cpp library/odbc/*.cpp library/settings/*.cpp library/data/*.cpp
  library/desktop/*.cpp library/automation/*.cpp library/com/*.cpp)
# The other platform's layers, and what only the Linux build has: its own
# component runtime's client side and registry file (Windows has the system's),
# X11 windows, GVfs network drives and QUVEX.EXE's lookup, and our own
# version-resource reader (the system's version functions read it here).
list(FILTER VENDRAL_SOURCES EXCLUDE REGEX "_posix\\.cpp$")
list(FILTER VENDRAL_SOURCES EXCLUDE REGEX
  "/(com_client|registry_file|library_permissions|x11_windows|network_drives|quvex|version_resource)\\.cpp$")

include(cmake/WindowsResources.cmake)

# The library as a DLL of the given target name; both DLLs are the same sources.
function(vendral_windows_library target)
  add_library(${target} SHARED ${VENDRAL_SOURCES})
  set_target_properties(${target} PROPERTIES PREFIX "")
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_compile_definitions(${target} PRIVATE VENDRAL_BUILDING)
  target_include_directories(${target}
    PUBLIC ${PROJECT_SOURCE_DIR}/include
    PRIVATE ${PROJECT_SOURCE_DIR}/library ${SIMPLEINI_INCLUDE_DIR})
  target_link_libraries(${target}
    PRIVATE odbc32 ole32 oleaut32 uuid advapi32 version shell32 user32 mpr)
endfunction()

# vendral.dll as it ships: only the programming interface exported.
vendral_windows_library(vendral)
set_target_properties(vendral PROPERTIES OUTPUT_NAME vendral)
vendral_windows_version(vendral INTERNAL_NAME Vendral DESCRIPTION "Vendral CRM database components")
vendral_windows_type_library(vendral)

# prodwell.exe: the command-line kick, creating CDatabase by its ProgID.
file(GLOB KICK_SOURCES CONFIGURE_DEPENDS tools/kick/*.cpp)
list(FILTER KICK_SOURCES EXCLUDE REGEX "_posix\\.cpp$")
add_executable(prodwell ${KICK_SOURCES})
target_include_directories(prodwell PRIVATE tools/kick)
target_link_libraries(prodwell PRIVATE vendral ole32 oleaut32 uuid shell32)
vendral_windows_version(prodwell INTERNAL_NAME Prodwell
  DESCRIPTION "Prodwell: sends appointments and tasks to the synchronizer again")

option(VENDRAL_TESTS "Build the Wine tests" ON)
if(VENDRAL_TESTS)
  add_subdirectory(tests/windows)
endif()
