# Our own libraries and programs carry a version resource like Windows files
# do: the VS_VERSIONINFO block, in the ELF section ".vendral.version" (loaded,
# read-only), where CFile::GetFileInfo finds it.
#
#   vendral_embed_version(TARGET INTERNAL_NAME name DESCRIPTION text)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(vendral_embed_version target)
  cmake_parse_arguments(ARG "" "INTERNAL_NAME;DESCRIPTION" "" ${ARGN})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(kind app)
  else()
    set(kind dll)
  endif()
  set(blob ${CMAKE_CURRENT_BINARY_DIR}/${target}.version)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_section.cpp)
  add_custom_command(OUTPUT ${blob}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/version-block.py ${blob} ${kind}
            ${PROJECT_VERSION}
            "CompanyName=Vendral developers"
            "FileDescription=${ARG_DESCRIPTION}"
            "FileVersion=${PROJECT_VERSION}"
            "InternalName=${ARG_INTERNAL_NAME}"
            "LegalCopyright=Copyright (C) Vendral developers"
            "OriginalFileName=$<TARGET_FILE_NAME:${target}>"
            "ProductName=Vendral"
            "ProductVersion=${PROJECT_VERSION}"
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/version-block.py
    COMMENT "Version resource of ${target}" VERBATIM)
  file(CONFIGURE OUTPUT ${source} CONTENT
"// Generated: the version resource of @target@ in its own ELF section.
__asm__(\".pushsection .vendral.version,\\\"a\\\"\\n\"
        \".incbin \\\"@blob@\\\"\\n\"
        \".popsection\\n\");
" @ONLY)
  set_source_files_properties(${source} PROPERTIES OBJECT_DEPENDS ${blob} SKIP_AUTOGEN ON)
  target_sources(${target} PRIVATE ${source})
endfunction()
