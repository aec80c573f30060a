# Every build compiles through Debian's ccache when it is installed (the scripts install it): a build
# of sources already compiled once, in this folder or another clone, a sanitizer pass after a change
# elsewhere, the fuzzers' clang build, takes the objects from the cache. SEANCE_CCACHE=OFF turns it off.
option(SEANCE_CCACHE "Compile through ccache when it is installed" ON)
if(SEANCE_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  find_program(SEANCE_CCACHE_PROGRAM ccache)
  if(SEANCE_CCACHE_PROGRAM)
    get_filename_component(seance_checkout "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
    # Paths inside the checkout are hashed relative to it, and the build folder not at all, so that
    # clones in other folders share their objects (their debugging information then names the
    # first clone's folders).
    set(seance_launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${seance_checkout} CCACHE_NOHASHDIR=true
      CCACHE_SLOPPINESS=include_file_mtime,include_file_ctime,time_macros ${SEANCE_CCACHE_PROGRAM})
    set(CMAKE_C_COMPILER_LAUNCHER ${seance_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${seance_launcher})
  endif()
endif()
