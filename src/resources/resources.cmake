# Frames 111 to 122, icons, logo and cursor: drawn by tools/make_frames at build time and compiled
# into seance_lesson as ":/frames/<id>.bmp" and ":/images/<name>.png".
set(SEANCE_MEDIA_DIR ${CMAKE_BINARY_DIR}/resources)
# The names are media.h's, read from it: the one list of them.
set(SEANCE_MEDIA_HEADER ${CMAKE_CURRENT_LIST_DIR}/media.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SEANCE_MEDIA_HEADER})
file(READ ${SEANCE_MEDIA_HEADER} media_h)
string(REGEX MATCH "kFirstCircuitFrame = ([0-9]+)" _ "${media_h}")
set(first_frame ${CMAKE_MATCH_1})
string(REGEX MATCH "kLastStripFrame = ([0-9]+)" _ "${media_h}")
set(last_frame ${CMAKE_MATCH_1})
string(REGEX MATCHALL "\":/images/[a-z0-9_]+\\.png\"" images "${media_h}")
if(NOT first_frame OR NOT last_frame OR NOT images)
  message(FATAL_ERROR "${SEANCE_MEDIA_HEADER}: the frame numbers or the image names cannot be read")
endif()
set(SEANCE_MEDIA_NAMES)
foreach(id RANGE ${first_frame} ${last_frame})
  list(APPEND SEANCE_MEDIA_NAMES frames/${id}.bmp)
endforeach()
foreach(image ${images})
  string(REGEX REPLACE "^\":/(.*)\"$" "\\1" image ${image})
  list(APPEND SEANCE_MEDIA_NAMES ${image})
endforeach()
list(TRANSFORM SEANCE_MEDIA_NAMES PREPEND ${SEANCE_MEDIA_DIR}/ OUTPUT_VARIABLE SEANCE_MEDIA_FILES)

add_custom_command(
  OUTPUT ${SEANCE_MEDIA_FILES}
  COMMAND make_frames ${SEANCE_MEDIA_DIR}
  DEPENDS make_frames
  COMMENT "Drawing the frames, icons, logo and cursor"
  VERBATIM)

# For a static library this makes an object library that every executable linking seance_lesson
# pulls in, so the resources register themselves without Q_INIT_RESOURCE.
qt_add_resources(seance_lesson "seance_media"
  PREFIX "/"
  BASE ${SEANCE_MEDIA_DIR}
  FILES ${SEANCE_MEDIA_FILES})
