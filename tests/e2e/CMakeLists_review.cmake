# The whole review on the real program: scan, list, answers, playing task 2
# into PulseAudio's null sink, pause, continue, stop, a move while playing,
# and the close. Included by tests/e2e/CMakeLists.txt; needs the `services`
# fixture. Screenshots and the monitor recording stay in
# ${CMAKE_CURRENT_BINARY_DIR}/review.
# Sanitizers multiply the program's own work several times over; the CPU
# limit of a plain build is checked only there.
if(ZENOR_SANITIZE)
  set(review_cpu_limit 25)
else()
  set(review_cpu_limit 5)
endif()
add_test(NAME e2e_review
         COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/review.py $<TARGET_FILE:zenor> $<TARGET_FILE:zenor-sheet>
                 ${CMAKE_CURRENT_BINARY_DIR}/review)
set_tests_properties(e2e_review PROPERTIES
  FIXTURES_REQUIRED services
  ENVIRONMENT "${ZENOR_SERVICES_ENV};ZENOR_REVIEW_CPU_LIMIT_PERCENT=${review_cpu_limit}"
  RESOURCE_LOCK "x_display;zenor_null_sink"
  TIMEOUT 180)
