# The Windows build (make windows): vendral.dll, the in-process component
# server with CDatabase, CFile, CApplication and the settings file, and
# prodwell.exe, the kick with its window (and prodwell.com, its console twin).
# The same sources as on Linux; where a platform layer differs, foo_posix.cpp
# stands beside foo_windows.cpp (or win32/ beside qt/) and this file takes the
# Windows one. No Qt: the widget library is not built here.
# SimpleIni is one header; only that header is taken from the host's /usr/include.
find_file(SIMPLEINI_HEADER SimpleIni.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(SIMPLEINI_INCLUDE_DIR ${CMAKE_BINARY_DIR}/simpleini)
file(MAKE_DIRECTORY ${SIMPLEINI_INCLUDE_DIR})
file(CREATE_LINK ${SIMPLEINI_HEADER} ${SIMPLEINI_INCLUDE_DIR}/SimpleIni.h SYMBOLIC)
# The C++ runtime inside each file, so that both run on a bare Windows.
add_link_options(-static)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

file(GLOB VENDRAL_SOURCES CONFIGURE_DEPENDS
  library/base/*.cpp library/odbc/*.cpp library/settings/*.cpp library/settings/win32/*.cpp
  library/data/*.cpp library/desktop/*.cpp library/automation/*.cpp library/com/*.cpp
  # The input controls: their shared rules and their Win32 face (the Qt face
  # is the widget library's).
  library/controls/*.cpp library/controls/win32/*.cpp)
# The other platform's layers, and what only the Linux build has: its own
# component runtime's client side and registry file (Windows has the system's),
# X11 windows, GVfs network drives, and our own
# version-resource reader (the system's version functions read it here).
list(FILTER VENDRAL_SOURCES EXCLUDE REGEX "_posix\\.cpp$")
list(FILTER VENDRAL_SOURCES EXCLUDE REGEX
  "/(com_client|registry_file|library_permissions|x11_windows|network_drives|version_resource)\\.cpp$")

include(cmake/WindowsResources.cmake)

# The settings dialog's resources: its logo as a bitmap, converted from the
# picture the Qt face shows (ImageMagick), found by windres on the include path.
find_program(IMAGEMAGICK_CONVERT convert REQUIRED)
set(SETTINGS_RESOURCE_DIR ${CMAKE_BINARY_DIR}/settings-dialog)
file(MAKE_DIRECTORY ${SETTINGS_RESOURCE_DIR})
add_custom_command(OUTPUT ${SETTINGS_RESOURCE_DIR}/settings_logo.bmp
  COMMAND ${IMAGEMAGICK_CONVERT} ${PROJECT_SOURCE_DIR}/library/settings/win32/settings_logo.png
          -type TrueColor BMP3:${SETTINGS_RESOURCE_DIR}/settings_logo.bmp
  DEPENDS ${PROJECT_SOURCE_DIR}/library/settings/win32/settings_logo.png
  COMMENT "The settings dialog logo as a bitmap" VERBATIM)
add_custom_target(settings_dialog_logo DEPENDS ${SETTINGS_RESOURCE_DIR}/settings_logo.bmp)
list(APPEND VENDRAL_SOURCES ${PROJECT_SOURCE_DIR}/library/settings/win32/settings_dialog.rc)

# The splash form's picture and icon as the resource compiler takes them: a
# 24-bit bitmap and a 16-colour icon, converted from the artwork the widget
# library draws (library/desktop/art) by ImageMagick.
set(VENDRAL_SPLASH_ART ${CMAKE_BINARY_DIR}/splash-art)
file(MAKE_DIRECTORY ${VENDRAL_SPLASH_ART})
add_custom_command(
  OUTPUT ${VENDRAL_SPLASH_ART}/splash_background.bmp ${VENDRAL_SPLASH_ART}/splash_icon.ico
  COMMAND ${IMAGEMAGICK_CONVERT} ${PROJECT_SOURCE_DIR}/library/desktop/art/splash_background.png
    -type TrueColor BMP3:${VENDRAL_SPLASH_ART}/splash_background.bmp
  COMMAND ${IMAGEMAGICK_CONVERT} ${PROJECT_SOURCE_DIR}/library/desktop/art/splash_icon.png
    -colors 16 ICO:${VENDRAL_SPLASH_ART}/splash_icon.ico
  DEPENDS ${PROJECT_SOURCE_DIR}/library/desktop/art/splash_background.png
    ${PROJECT_SOURCE_DIR}/library/desktop/art/splash_icon.png
  COMMENT "The splash form's bitmap and icon" VERBATIM)
add_custom_target(vendral_splash_art DEPENDS ${VENDRAL_SPLASH_ART}/splash_background.bmp
  ${VENDRAL_SPLASH_ART}/splash_icon.ico)
set_source_files_properties(${PROJECT_SOURCE_DIR}/library/desktop/frm_splash_windows.rc PROPERTIES
  OBJECT_DEPENDS "${VENDRAL_SPLASH_ART}/splash_background.bmp;${VENDRAL_SPLASH_ART}/splash_icon.ico")

# The library as a DLL of the given target name; both DLLs are the same sources.
function(vendral_windows_library target)
  add_library(${target} SHARED ${VENDRAL_SOURCES}
    ${PROJECT_SOURCE_DIR}/library/desktop/frm_splash_windows.rc)
  add_dependencies(${target} vendral_splash_art)
  set_target_properties(${target} PROPERTIES PREFIX "")
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_compile_definitions(${target} PRIVATE VENDRAL_BUILDING)
  target_include_directories(${target}
    PUBLIC ${PROJECT_SOURCE_DIR}/include
    PRIVATE ${PROJECT_SOURCE_DIR}/library ${SIMPLEINI_INCLUDE_DIR} ${SETTINGS_RESOURCE_DIR}
      $<$<COMPILE_LANGUAGE:RC>:${VENDRAL_SPLASH_ART}>)
  add_dependencies(${target} settings_dialog_logo)
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

# Prodwell, creating CDatabase by its ProgID: its window (Form1 on Windows'
# own controls) without arguments, the kick on the command line with options.
# Twice from the same sources: prodwell.exe for the graphical subsystem (no
# console window from Explorer or a shortcut) and prodwell.com for the console
# subsystem, which cmd.exe runs first for "prodwell" and waits for, so that
# the output and the exit status reach the console.
file(GLOB KICK_SOURCES CONFIGURE_DEPENDS tools/kick/*.cpp tools/kick/window/win32/*.cpp)
list(FILTER KICK_SOURCES EXCLUDE REGEX "_posix\\.cpp$")
function(vendral_prodwell target file_name)
  add_executable(${target} ${KICK_SOURCES})
  target_include_directories(${target} PRIVATE tools/kick)
  target_compile_definitions(${target} PRIVATE VENDRAL_PRODWELL_WINDOW)
  target_link_libraries(${target} PRIVATE vendral ole32 oleaut32 uuid shell32 user32 gdi32)
  vendral_windows_version(${target} INTERNAL_NAME Prodwell FILE_NAME ${file_name}
    DESCRIPTION "Prodwell: sends appointments and tasks to the synchronizer again")
endfunction()
vendral_prodwell(prodwell prodwell.exe)
set_target_properties(prodwell PROPERTIES WIN32_EXECUTABLE ON)
vendral_prodwell(prodwell_console prodwell.com)
set_target_properties(prodwell_console PROPERTIES OUTPUT_NAME prodwell SUFFIX .com)

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
    DEPENDS vendral prodwell prodwell_console ${VENDRAL_REGISTRY_WXI} ${VENDRAL_DLL_32} ${VENDRAL_REGISTRY_WXI_32}
      ${PROJECT_SOURCE_DIR}/installer/vendral.wxs ${PROJECT_SOURCE_DIR}/scripts/build-msi.sh
    COMMENT "The installer package vendral-${PROJECT_VERSION}.msi")
  add_custom_target(windows-installer DEPENDS ${VENDRAL_MSI})
endif()

option(VENDRAL_TESTS "Build the Wine tests" ON)
if(VENDRAL_TESTS)
  add_subdirectory(tests/windows)
endif()
