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
  library/desktop/*.cpp library/automation/*.cpp library/com/*.cpp
  # The input controls: their shared rules and their Win32 face (the Qt face
  # is the widget library's).
  library/controls/*.cpp library/controls/win32/*.cpp)
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
    PRIVATE odbc32 ole32 oleaut32 uuid advapi32 version shell32 user32 mpr comctl32 gdi32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The stdcall entry points under their plain names (DllGetClassObject, not
    # DllGetClassObject@12), as the system looks them up.
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  endif()
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

# The installer package (target windows-installer of the 64-bit build):
# vendral-VERSION.msi, built with wixl, with the 32-bit library of the build
# in VENDRAL_WINDOWS32_BUILD beside the 64-bit one. Its registry entries come
# from the library's own registration table through registry-wxs, a host
# program built as a project of its own (this build's compiler makes Windows
# programs).
set(VENDRAL_WINDOWS32_BUILD ${PROJECT_SOURCE_DIR}/build-windows32
  CACHE PATH "The 32-bit Windows build whose vendral.dll the installer package carries")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  include(ExternalProject)
  set(VENDRAL_INSTALLER_DIR ${CMAKE_BINARY_DIR}/installer)
  set(VENDRAL_REGISTRY_WXS ${VENDRAL_INSTALLER_DIR}/host/registry-wxs)
  set(host_launcher "")
  if(CCACHE_PROGRAM)
    set(host_launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${CCACHE_PROGRAM})
  endif()
  ExternalProject_Add(registry_wxs_host
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/installer
    BINARY_DIR ${VENDRAL_INSTALLER_DIR}/host
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release ${host_launcher}
    # Its make knows when the registration table's sources change.
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${VENDRAL_REGISTRY_WXS}
    EXCLUDE_FROM_ALL ON)
  set(VENDRAL_REGISTRY_WXI ${VENDRAL_INSTALLER_DIR}/registry-win64.wxi)
  add_custom_command(OUTPUT ${VENDRAL_REGISTRY_WXI}
    COMMAND ${VENDRAL_REGISTRY_WXS} win64 vendral.dll64 VENDRALFOLDER64 ${VENDRAL_REGISTRY_WXI}
    DEPENDS registry_wxs_host ${VENDRAL_REGISTRY_WXS}
    COMMENT "The installer's registry entries from the registration table")
  set(VENDRAL_REGISTRY_WXI_32 ${VENDRAL_INSTALLER_DIR}/registry-win32.wxi)
  add_custom_command(OUTPUT ${VENDRAL_REGISTRY_WXI_32}
    COMMAND ${VENDRAL_REGISTRY_WXS} win32 vendral.dll32 VENDRALFOLDER32 ${VENDRAL_REGISTRY_WXI_32}
    DEPENDS registry_wxs_host ${VENDRAL_REGISTRY_WXS}
    COMMENT "The installer's 32-bit registry entries from the registration table")
  set(VENDRAL_DLL_32 ${VENDRAL_WINDOWS32_BUILD}/vendral.dll)
  set(VENDRAL_MSI ${CMAKE_BINARY_DIR}/vendral-${PROJECT_VERSION}.msi)
  add_custom_command(OUTPUT ${VENDRAL_MSI}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-msi.sh ${VENDRAL_MSI} ${PROJECT_VERSION}
      $<TARGET_FILE:vendral> $<TARGET_FILE:prodwell> ${VENDRAL_REGISTRY_WXI}
      ${VENDRAL_DLL_32} ${VENDRAL_REGISTRY_WXI_32}
    DEPENDS vendral prodwell ${VENDRAL_REGISTRY_WXI} ${VENDRAL_DLL_32} ${VENDRAL_REGISTRY_WXI_32}
      ${PROJECT_SOURCE_DIR}/installer/vendral.wxs ${PROJECT_SOURCE_DIR}/scripts/build-msi.sh
    COMMENT "The installer package vendral-${PROJECT_VERSION}.msi")
  add_custom_target(windows-installer DEPENDS ${VENDRAL_MSI})
endif()

option(VENDRAL_TESTS "Build the Wine tests" ON)
if(VENDRAL_TESTS)
  add_subdirectory(tests/windows)
endif()
