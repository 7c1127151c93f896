# Installation and the Debian package.
include(GNUInstallDirs)
install(TARGETS zenor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS zenor-dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripping install (the package's) also drops the compilers' version notes,
# as Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program zenor zenor-dump)
      set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\")
      if(EXISTS \"\${file}\")
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment \"\${file}\" COMMAND_ERROR_IS_FATAL ANY)
      endif()
    endforeach()
  endif()")
# The demo works, where an installed program without "Answer/" beside it
# starts (app/DefaultFolder.h).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zenor/Answer)
# The desktop file and the AppStream metainfo are named by the application's
# reverse-DNS id, which the program also gives Qt (app/Application.cpp).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${ZENOR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${ZENOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zenor.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Every man page in docs/man/ and its translations in docs/man/<lang>/,
# compressed as Debian installs man pages (no name or time stamp in the gzip
# header, so the package builds the same twice), to man1/ and <lang>/man1/.
set(man_archives)
file(GLOB man_entries RELATIVE ${PROJECT_SOURCE_DIR}/docs/man LIST_DIRECTORIES true
     CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*)
set(man_folders man1)
foreach(entry ${man_entries})
  if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/docs/man/${entry})
    list(APPEND man_folders ${entry}/man1)
  endif()
endforeach()
foreach(folder ${man_folders})
  # docs/man/ru/zenor.1 is installed as ru/man1/zenor.1.gz.
  string(REGEX REPLACE "/?man1$" "" source_folder ${folder})
  file(GLOB man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${source_folder}/*.1)
  set(folder_archives)
  foreach(page ${man_pages})
    get_filename_component(name ${page} NAME)
    set(archive ${CMAKE_BINARY_DIR}/man/${folder}/${name}.gz)
    add_custom_command(OUTPUT ${archive}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man/${folder}
      COMMAND gzip -9n -c ${page} > ${archive}
      DEPENDS ${page})
    list(APPEND folder_archives ${archive})
  endforeach()
  install(FILES ${folder_archives} DESTINATION ${CMAKE_INSTALL_MANDIR}/${folder})
  list(APPEND man_archives ${folder_archives})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_archives})

# The package's copyright file and changelog, where Debian keeps them. The
# changelog's latest entry is the version being built.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^zenor \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with \"${changelog_top}\"; its latest entry must be version ${PROJECT_VERSION}")
endif()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package (scripts/build-deb.sh builds it as Debian builds its own:
# hardening flags, stripped binaries, checked by lintian in the tests).
set(ZENOR_PACKAGE_MAINTAINER "ZENOR review team <zenor@example.org>" CACHE STRING
  "Maintainer of the Debian package: name and mail address")
set(CPACK_PACKAGE_NAME zenor)
set(CPACK_PACKAGE_CONTACT "${ZENOR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VENDOR "ZENOR review team")
# GPL-3.0-or-later: packaging/copyright says so to Debian's tools, the
# metainfo to AppStream's.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "examiner's workstation for written and oral test answers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
zenor is the examiner's workstation for the grade-7 foreign-language test
ZENOR-2020 with recorded oral tasks. The examiner points it at the folder
tree that a testing station wrote, gets the list of works, reads each
work's variant and written answers from its answer sheet, and listens to
the recorded oral answers (Ogg Vorbis). The window is in Russian.

The program only reads the pupils' files: it never writes, moves or
deletes anything. The command-line tool zenor-dump shows the same answer
sheets and work lists as JSON, tab-separated text or CSV; it checks every
work's sheet and recordings before anyone listens (missing, damaged, silent,
too quiet or clipped, measured to EBU R128), makes one HTML page for
listening in a browser, and writes and reads back a marks sheet for a
spreadsheet.

A few demo works come with the package, and the window opens on them.]=])
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link are found by dpkg-shlibdeps; the platform
# plugin that opens the window is loaded at run time, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
