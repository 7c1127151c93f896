# The program as a Linux system runs, documents and installs it.
add_test(NAME system_zenor_options COMMAND ${CMAKE_CURRENT_LIST_DIR}/zenor_options.sh $<TARGET_FILE:zenor> ${PROJECT_VERSION})
set_tests_properties(system_zenor_options PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;LC_ALL=C.UTF-8")

# Every man page that is installed renders without warnings, the translations
# (docs/man/<lang>/) too.
file(GLOB man_pages RELATIVE ${PROJECT_SOURCE_DIR}/docs/man CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/docs/man/*.1 ${PROJECT_SOURCE_DIR}/docs/man/*/*.1)
foreach(page ${man_pages})
  string(REPLACE "/" "_" name ${page})
  add_test(NAME system_man_${name} COMMAND ${CMAKE_CURRENT_LIST_DIR}/man_check.sh ${PROJECT_SOURCE_DIR}/docs/man/${page})
  set_tests_properties(system_man_${name} PROPERTIES SKIP_RETURN_CODE 77)
endforeach()

# The tools' catalogues translate every message marked in the sources, with
# nothing fuzzy and nothing left over (po/messages.sh says how to mend it).
add_test(NAME system_translations COMMAND ${PROJECT_SOURCE_DIR}/po/messages.sh check)
set_tests_properties(system_translations PROPERTIES SKIP_RETURN_CODE 77)

# The desktop file and the AppStream metainfo, as installed.
add_test(NAME system_appstream COMMAND ${CMAKE_CURRENT_LIST_DIR}/appstream_check.sh ${CMAKE_BINARY_DIR})
set_tests_properties(system_appstream PROPERTIES SKIP_RETURN_CODE 77)

# The Debian package, built from scratch by a Release build of what it ships.
# It takes both cores for a few minutes, and runs alone so that no timed test
# runs beside a compiler.
add_test(NAME system_deb_lintian COMMAND /usr/bin/env ZENOR_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
  ${CMAKE_CURRENT_LIST_DIR}/deb_check.sh ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR}/deb)
set_tests_properties(system_deb_lintian PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 1500 RUN_SERIAL TRUE)
