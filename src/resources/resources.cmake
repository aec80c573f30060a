# Frames 111 to 122, icons, logo and cursor: drawn by tools/make_frames at build time and compiled
# into seance_lesson as ":/frames/<id>.bmp" and ":/images/<name>.png".
set(SEANCE_MEDIA_DIR ${CMAKE_BINARY_DIR}/resources)
set(SEANCE_MEDIA_NAMES)
foreach(id RANGE 111 122)
  list(APPEND SEANCE_MEDIA_NAMES frames/${id}.bmp)
endforeach()
foreach(name logo26 hand arrow_left arrow_right icon32 icon256 korvane)
  list(APPEND SEANCE_MEDIA_NAMES images/${name}.png)
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
