# zenor-dump's output on committed sheets, checked byte for byte; the expected
# JSON was verified value by value when it was written.
set(data ${CMAKE_CURRENT_LIST_DIR}/testdata)
set(dump_tests)
# ARGS separates the arguments with "|": a ";" would split the value on its
# way through the function.
function(dump_test name)
  add_test(NAME dump_${name} COMMAND ${CMAKE_COMMAND} -DDUMP=$<TARGET_FILE:zenor-dump> ${ARGN}
           -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CheckOutput.cmake)
  set(dump_tests ${dump_tests} dump_${name} PARENT_SCOPE)
endfunction()

foreach(name example kinds)
  dump_test(sheet_${name} "-DARGS=sheet|${data}/${name}.ans" -DSTATUS=0 -DEXPECTED=${data}/${name}.json)
endforeach()
dump_test(sheet_cut "-DARGS=sheet|${data}/cut.ans" -DSTATUS=1 -DEXPECTED=${data}/cut.json)
dump_test(sheet_missing_file "-DARGS=sheet|/nonexistent/zenor/sheet_0.ans" -DSTATUS=1
          -DEXPECTED=${data}/missing.json)

# The command-line conventions: help on stdout with status 0, a version, "--"
# ending the options, and every misuse answered with status 2 and one line
# on stderr that points to the help. Rows: name, arguments, status, what
# stdout must match ("" for nothing).
set(one_line_hint "^zenor-dump[^\n]*--help'\\)\n$")
set(cli_rows
  "usage_no_command||2|"
  "usage_unknown_command|nonsense,x|2|"
  "usage_unknown_global_option|--bogus|2|"
  "usage_unknown_option|works,--frob,x|2|"
  "usage_unknown_short_option|export,-x,x|2|"
  "usage_too_few_operands|sheet|2|"
  "usage_too_many_operands|works,a,b|2|"
  "help|--help|0|^usage: zenor-dump .*  export FOLDER.*exit status"
  "help_short|-h|0|^usage: zenor-dump "
  "version|--version|0|^zenor-dump [0-9]+\\.[0-9]+\\.[0-9]+\n$"
  "command_help|export,--help|0|^usage: zenor-dump export \\[OPTION\\]\\.\\.\\. FOLDER\n"
  "command_help_among_operands|works,x,--help|0|^usage: zenor-dump works "
  "usage_pack_without_output|pack,.|2|"
  "usage_pack_over_a_pupils_file|pack,-o,12345_0.ans,.|2|"
  "usage_threshold_not_a_number|check,--min-seconds,abc,.|2|"
  "usage_jobs_not_whole|check,-j,1.5,.|2|"
  "usage_marks_range_upside_down|marks,--min-mark,5,--max-mark,1,.,m.csv|2|"
  "usage_pack_range_upside_down|pack,-o,r.html,--min-mark,5,--max-mark,1,.|2|"
  "usage_pack_mark_not_a_number|pack,-o,r.html,--max-mark,ten,.|2|"

  "usage_agree_one_sheet|agree,a.csv|2|"
  "usage_agree_negative_max_diff|agree,--max-diff,-1,a.csv,b.csv|2|"
  "usage_agree_range_upside_down|agree,--min-mark,5,--max-mark,1,a.csv,b.csv|2|"
  "usage_agree_third_without_file|agree,a.csv,b.csv,--third|2|")
foreach(row IN LISTS cli_rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 args)
  list(GET fields 2 status)
  list(GET fields 3 out)
  string(REPLACE "," "|" args "${args}")
  if(status EQUAL 2)
    dump_test(${name} "-DARGS=${args}" -DSTATUS=2 "-DERR_MATCH=${one_line_hint}")
  else()
    dump_test(${name} "-DARGS=${args}" -DSTATUS=${status} "-DOUT_MATCH=${out}")
  endif()
endforeach()
# "--" ends the options: what follows is a FILE even when it looks like one.
dump_test(double_dash "-DARGS=sheet|--;--help" -DSTATUS=1 "-DOUT_MATCH=Cannot open file [^\n]*--help")

# A tree that cannot be walked is a failure, told on stderr, not an empty list.
dump_test(works_missing_folder "-DARGS=works|/nonexistent/zenor" -DSTATUS=1
          "-DERR_MATCH=^zenor-dump: cannot read folder '/nonexistent/zenor': No such file or directory\n$")
dump_test(check_missing_folder "-DARGS=check|/nonexistent/zenor" -DSTATUS=1
          "-DERR_MATCH=^zenor-dump: cannot read folder '/nonexistent/zenor': No such file or directory\n$")
dump_test(export_file_as_folder "-DARGS=export|${data}/example.ans" -DSTATUS=1
          "-DERR_MATCH=^zenor-dump: cannot read folder '[^\n]*example.ans': Not a directory\n$")

# English whatever the caller's locale: an empty LANGUAGE, which gettext
# would follow even under C.UTF-8.
set_tests_properties(${dump_tests} PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;LC_ALL=C.UTF-8;LANGUAGE=")

# A FIFO or a device named like a sheet is refused at once, never waited on.
add_test(NAME dump_sheet_special_files COMMAND ${CMAKE_CURRENT_LIST_DIR}/NonRegularFiles.sh $<TARGET_FILE:zenor-dump>)
set_tests_properties(dump_sheet_special_files PROPERTIES TIMEOUT 60
                     ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;LC_ALL=C.UTF-8;LANGUAGE=")
