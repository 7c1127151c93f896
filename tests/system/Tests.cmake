# The program as a Linux system runs, documents and installs it.
if(TARGET zenor)
  add_test(NAME system_zenor_options COMMAND ${CMAKE_CURRENT_LIST_DIR}/zenor_options.sh $<TARGET_FILE:zenor> ${PROJECT_VERSION})
  set_tests_properties(system_zenor_options PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;LC_ALL=C.UTF-8")
endif()
