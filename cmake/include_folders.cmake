# seance_include_folders(TARGET FOLDER...): TARGET's headers are included as "FOLDER/file.h", from
# src/FOLDER. Each target gets an include directory of its own in the build tree, holding links to
# its folders only, so that what links TARGET sees its folders and what TARGET links, and no more:
# a header of a library that TARGET does not link is not on its include path, and including one
# does not build.
function(seance_include_folders target)
  set(dir ${CMAKE_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${dir})
  # A folder that moved to another library since the last configure must not stay reachable here.
  file(GLOB stale LIST_DIRECTORIES true ${dir}/*)
  if(stale)
    file(REMOVE ${stale})
  endif()
  foreach(folder ${ARGN})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${dir}/${folder} SYMBOLIC)
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${dir})
  else()
    target_include_directories(${target} PUBLIC ${dir})
  endif()
endfunction()
