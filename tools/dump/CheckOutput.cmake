# Runs zenor-dump with ARGS and checks its exit status and standard output:
#   cmake -DDUMP=... -DARGS="sheet;file" -DSTATUS=0 -DEXPECTED=file.json -P CheckOutput.cmake
execute_process(COMMAND ${DUMP} ${ARGS} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT "${status}" STREQUAL "${STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED EXPECTED)
  file(READ ${EXPECTED} expected)
  if(NOT "${out}" STREQUAL "${expected}")
    message(FATAL_ERROR "output differs\n got: ${out}\nwant: ${expected}")
  endif()
elseif(NOT "${out}" STREQUAL "")
  message(FATAL_ERROR "unexpected output: ${out}")
endif()
