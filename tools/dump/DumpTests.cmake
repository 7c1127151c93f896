# zenor-dump's output on committed sheets, checked byte for byte; the expected
# JSON was verified value by value when it was written.
set(data ${CMAKE_CURRENT_LIST_DIR}/testdata)
foreach(name example kinds)
  add_test(NAME dump_sheet_${name} COMMAND ${CMAKE_COMMAND} -DDUMP=$<TARGET_FILE:zenor-dump>
           "-DARGS=sheet;${data}/${name}.ans" -DSTATUS=0 -DEXPECTED=${data}/${name}.json
           -P ${CMAKE_CURRENT_LIST_DIR}/CheckOutput.cmake)
endforeach()
add_test(NAME dump_sheet_cut COMMAND ${CMAKE_COMMAND} -DDUMP=$<TARGET_FILE:zenor-dump>
         "-DARGS=sheet;${data}/cut.ans" -DSTATUS=1 -DEXPECTED=${data}/cut.json
         -P ${CMAKE_CURRENT_LIST_DIR}/CheckOutput.cmake)
add_test(NAME dump_sheet_missing_file COMMAND ${CMAKE_COMMAND} -DDUMP=$<TARGET_FILE:zenor-dump>
         "-DARGS=sheet;/nonexistent/zenor/sheet_0.ans" -DSTATUS=1 -DEXPECTED=${data}/missing.json
         -P ${CMAKE_CURRENT_LIST_DIR}/CheckOutput.cmake)
add_test(NAME dump_usage COMMAND ${CMAKE_COMMAND} -DDUMP=$<TARGET_FILE:zenor-dump>
         "-DARGS=sheet" -DSTATUS=2 -P ${CMAKE_CURRENT_LIST_DIR}/CheckOutput.cmake)
add_test(NAME dump_unknown_subcommand COMMAND ${CMAKE_COMMAND} -DDUMP=$<TARGET_FILE:zenor-dump>
         "-DARGS=nonsense;x" -DSTATUS=2 -P ${CMAKE_CURRENT_LIST_DIR}/CheckOutput.cmake)
set_tests_properties(dump_sheet_example dump_sheet_kinds dump_sheet_cut dump_sheet_missing_file dump_usage
                     dump_unknown_subcommand PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;LC_ALL=C.UTF-8")
add_test(NAME dump_sheet_special_files COMMAND ${CMAKE_CURRENT_LIST_DIR}/SpecialFiles.sh $<TARGET_FILE:zenor-dump>)
set_tests_properties(dump_sheet_special_files PROPERTIES TIMEOUT 60
                     ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;LC_ALL=C.UTF-8")
