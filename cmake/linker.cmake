# Links with Debian's mold when it is installed (the scripts install it): the program, some sixty
# test programs and the benches link against the same static libraries, and mold links each in a
# fraction of the time of the default linker. SEANCE_MOLD=OFF keeps the default one.
option(SEANCE_MOLD "Link with mold when it is installed" ON)
if(SEANCE_MOLD)
  include(CheckLinkerFlag)
  check_linker_flag(CXX "-fuse-ld=mold" SEANCE_HAVE_MOLD)
  if(SEANCE_HAVE_MOLD)
    add_link_options(-fuse-ld=mold)
  endif()
endif()
