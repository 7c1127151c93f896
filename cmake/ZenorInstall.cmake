# Installation and the Debian package.
include(GNUInstallDirs)
if(TARGET zenor)
  install(TARGETS zenor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET zenor-dump)
  install(TARGETS zenor-dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The demo works, where an installed program without "Answer/" beside it
# starts (app/DefaultFolder.h).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zenor/Answer)
# The desktop file and the AppStream metainfo are named by the application's
# reverse-DNS id, which the program also gives Qt (app/Application.cpp).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${ZENOR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${ZENOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zenor.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Every man page in docs/man/, compressed as Debian installs man pages (no
# name or time stamp in the gzip header, so the package builds the same twice).
file(GLOB man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.1)
set(man_archives)
foreach(page ${man_pages})
  get_filename_component(name ${page} NAME)
  set(archive ${CMAKE_BINARY_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${archive}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9n -c ${page} > ${archive}
    DEPENDS ${page})
  list(APPEND man_archives ${archive})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_archives})
install(FILES ${man_archives} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME zenor)
set(CPACK_PACKAGE_CONTACT "ZENOR review team <zenor@localhost>")
set(CPACK_PACKAGE_VENDOR "ZENOR review team")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Examiner's workstation for written and oral test answers")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libicu72, libvorbisfile3, libsdl2-2.0-0 (>= 2.26), qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
include(CPack)
