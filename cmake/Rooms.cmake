# The rooms of library/: each room is an object library of its own that names
# the rooms below it that it may use. Beside each room stands a check library,
# linked from the room and those rooms alone with every undefined symbol an
# error: a room that calls into a room above it (or into one it did not name)
# fails the build there, whatever its includes look like.
#
#   vendral_room(NAME SOURCES files... [USES rooms...] [LINK libraries...])
#
# USES names every room whose code the room may call, lower rooms only; LINK
# the outside libraries its code needs (usage requirements pass on to the
# rooms above it). The libraries that ship link the rooms' objects.

function(vendral_room name)
  cmake_parse_arguments(ARG "" "" "SOURCES;USES;LINK" ${ARGN})
  set(room vendral_room_${name})
  add_library(${room} OBJECT ${ARG_SOURCES})
  set_target_properties(${room} PROPERTIES POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${room} PUBLIC ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/library)
  set(uses "")
  foreach(lower ${ARG_USES})
    if(NOT TARGET vendral_room_${lower})
      message(FATAL_ERROR "room ${name} uses ${lower}, which is no room below it")
    endif()
    list(APPEND uses vendral_room_${lower})
  endforeach()
  target_link_libraries(${room} PUBLIC ${uses} ${ARG_LINK})

  # Objects of an object library reach only the targets that link it directly,
  # so the check links each room it may use by name.
  set(check vendral_room_check_${name})
  add_library(${check} SHARED)
  target_link_libraries(${check} PRIVATE ${room} ${uses})
  target_link_options(${check} PRIVATE LINKER:--no-undefined)
  set_target_properties(${check} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/room-checks)
endfunction()

# The sources of a room folder for this platform: foo_posix.cpp here,
# foo_windows.cpp on Windows.
function(vendral_room_sources out)
  set(sources "")
  foreach(folder ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/library/${folder}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "_windows\\.cpp$")
  set(${out} ${sources} PARENT_SCOPE)
endfunction()
