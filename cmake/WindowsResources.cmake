# The version resource of a Windows file (VERSIONINFO, compiled by windres):
# the same names and values as the version block of the Linux files.
#   vendral_windows_version(TARGET INTERNAL_NAME name DESCRIPTION text [FILE_NAME name.ext])
enable_language(RC)

function(vendral_windows_version target)
  cmake_parse_arguments(ARG "" "INTERNAL_NAME;DESCRIPTION;FILE_NAME" "" ${ARGN})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(FILE_TYPE VFT_APP)
    set(FILE_NAME ${target}.exe)
  else()
    set(FILE_TYPE VFT_DLL)
    set(FILE_NAME ${target}.dll)
  endif()
  if(ARG_FILE_NAME)
    set(FILE_NAME ${ARG_FILE_NAME})
  endif()
  set(INTERNAL_NAME ${ARG_INTERNAL_NAME})
  set(DESCRIPTION ${ARG_DESCRIPTION})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# The type library of the DLL: IDL written from the member tables of the
# served classes, CDatabase, CProgressBar and CSplash
# (scripts/type-library-idl.py), compiled by widl into a .tlb that the DLL
# carries as its TYPELIB resource 1, where LoadTypeLib and LoadRegTypeLib find
# it. widl also writes the C++ declarations early-binding clients include.
#   vendral_windows_type_library(TARGET)  sets VENDRAL_TYPE_LIBRARY_HEADER_DIR
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(WIDL widl REQUIRED)
# The library's platform as the type library states it (its SYSKIND). The
# imported stdole2.tlb is Wine's; for win32 widl would look for it in 32-bit
# Wine's folder, which the 64-bit one's serves as well.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  find_path(WINE_STDOLE2_DIR stdole2.tlb PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
    NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH REQUIRED)
  set(widl_platform --win32 -L ${WINE_STDOLE2_DIR})
else()
  set(widl_platform --win64)
endif()

function(vendral_windows_type_library target)
  set(dir ${CMAKE_BINARY_DIR}/typelib)
  file(MAKE_DIRECTORY ${dir})
  add_custom_command(OUTPUT ${dir}/vendral.idl
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/type-library-idl.py
            ${PROJECT_SOURCE_DIR} ${dir}/vendral.idl
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/type-library-idl.py
            ${PROJECT_SOURCE_DIR}/library/automation/cdatabase_members.cpp
            ${PROJECT_SOURCE_DIR}/library/automation/qt/cprogressbar_members.cpp
            ${PROJECT_SOURCE_DIR}/library/automation/qt/csplash_members.cpp
            ${PROJECT_SOURCE_DIR}/include/vendral/class_ids.h
            ${PROJECT_SOURCE_DIR}/include/vendral/cdatabase.h
    COMMENT "IDL of the Vendral type library" VERBATIM)
  add_custom_command(OUTPUT ${dir}/vendral.tlb ${dir}/vendral_tlb.h
    COMMAND ${WIDL} ${widl_platform} -t -o ${dir}/vendral.tlb ${dir}/vendral.idl
    COMMAND ${WIDL} -h -o ${dir}/vendral_tlb.h ${dir}/vendral.idl
    DEPENDS ${dir}/vendral.idl
    COMMENT "The Vendral type library (widl)" VERBATIM)
  add_custom_target(${target}_type_library DEPENDS ${dir}/vendral.tlb ${dir}/vendral_tlb.h)
  file(WRITE ${dir}/typelib.rc "1 TYPELIB \"${dir}/vendral.tlb\"\n")
  set_source_files_properties(${dir}/typelib.rc PROPERTIES OBJECT_DEPENDS ${dir}/vendral.tlb)
  target_sources(${target} PRIVATE ${dir}/typelib.rc)
  add_dependencies(${target} ${target}_type_library)
  set(VENDRAL_TYPE_LIBRARY_HEADER_DIR ${dir} PARENT_SCOPE)
endfunction()
