# The audio layer against a real sound server: a tone played into
# PulseAudio's null sink, recorded from its monitor and checked with sox.
# Included by tests/e2e/CMakeLists.txt; needs the `services` fixture. Other
# tests that send sound to the null sink should take the same resource lock,
# or their sound ends up in this recording.
add_executable(audio_play_tone ${PROJECT_SOURCE_DIR}/tests/audio_play_tone/main.cpp)
target_link_libraries(audio_play_tone PRIVATE audio Threads::Threads)
zenor_target_defaults(audio_play_tone)

add_test(NAME e2e_audio_null_sink
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/audio_null_sink.sh $<TARGET_FILE:audio_play_tone>
                 ${CMAKE_CURRENT_BINARY_DIR}/audio_null_sink)
set_tests_properties(e2e_audio_null_sink PROPERTIES
  FIXTURES_REQUIRED services
  RESOURCE_LOCK zenor_null_sink
  ENVIRONMENT "${ZENOR_SERVICES_ENV};SDL_AUDIODRIVER=pulseaudio"
  TIMEOUT 60)
