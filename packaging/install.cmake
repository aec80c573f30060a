# Installation and the Debian package: the program and its demo launcher in bin/, its manual page
# and bash completion, a desktop entry and an icon where desktops look for them, the demo course in share/seance1/demo, and the
# EMF image plugin and thumbnailer.
include(GNUInstallDirs)

set(SEANCE_DEMO_RELATIVE "../${CMAKE_INSTALL_DATADIR}/seance1/demo")
if(NOT CPACK_PACKAGING_INSTALL_PREFIX)
  set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/seance1.desktop.in ${CMAKE_BINARY_DIR}/packaging/seance1.desktop @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/seance1-demo.in ${CMAKE_BINARY_DIR}/packaging/seance1-demo @ONLY)

install(TARGETS seance1 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/seance1-demo DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/packaging/seance1.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/resources/images/icon256.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME seance1.png)
install(FILES ${CMAKE_BINARY_DIR}/resources/images/icon32.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME seance1.png)
install(DIRECTORY ${CMAKE_BINARY_DIR}/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/seance1/demo
  PATTERN ".generated" EXCLUDE)
# The metafile renderer for the whole desktop: Qt's image readers find the plugin in Qt's own
# plugin folder; file managers find the thumbnailer through its entry. Debian's shared-mime-info
# already knows image/emf (alias image/x-emf), so no MIME entry is added.
install(TARGETS qemf LIBRARY DESTINATION ${QT6_INSTALL_PLUGINS}/imageformats)
install(TARGETS seance-emf-thumbnailer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/emf/tools/seance-emf.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
# The manual page is written by the program from the table its --help comes from, so the two agree.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/seance1.1
  COMMAND sh -c "\"$1\" --help-man > \"$2\"" sh $<TARGET_FILE:seance1> ${CMAKE_BINARY_DIR}/packaging/seance1.1
  DEPENDS seance1 VERBATIM)
add_custom_target(seance1_man ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/seance1.1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/seance1.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/seance1.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME seance1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/seance1)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "seance1")
set(CPACK_PACKAGE_VENDOR "Séance 1")
set(CPACK_PACKAGE_CONTACT "Séance 1 <seance1@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Leçon interactive d'électricité (Séance 1)")
set(CPACK_PACKAGE_DESCRIPTION "Leçon plein écran en français : diapositives, photographies, deux animations\nde charges en mouvement et une évaluation de vingt questions. Fournie avec un cours de démonstration.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Libraries the program links (Qt, libsndfile, Poppler's Qt 6 binding libpoppler-qt6-3 for PDF slides, ...)
# are found by the library scan above. Loaded at run time, so not found by it: the X11 platform plugin and the font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2, fonts-dejavu-core, fonts-crosextra-carlito, fonts-crosextra-caladea")
include(CPack)
