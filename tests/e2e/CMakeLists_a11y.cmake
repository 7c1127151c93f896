# The accessibility check: the real zenor driven and read through AT-SPI alone,
# inside a private D-Bus session with Debian's AT-SPI bus, on the Xvfb display
# and sound server of the `services` fixture. Needs the packages dbus,
# at-spi2-core, python3-pyatspi, sox and vorbis-tools.
# Included by tests/e2e/CMakeLists.txt.
add_test(NAME e2e_a11y_review
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/a11y_session.sh
                 /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/a11y_check.py
                 --zenor $<TARGET_FILE:zenor> --sheet $<TARGET_FILE:zenor-sheet>
                 --work ${CMAKE_CURRENT_BINARY_DIR}/a11y_review)
set_tests_properties(e2e_a11y_review PROPERTIES
  FIXTURES_REQUIRED services
  ENVIRONMENT "${ZENOR_SERVICES_ENV};SDL_AUDIODRIVER=pulseaudio"
  RESOURCE_LOCK "x_display;zenor_null_sink"
  TIMEOUT 240)
