# Runs zenor-dump with ARGS and checks its exit status and standard output:
#   cmake -DDUMP=... -DARGS="sheet|file" -DSTATUS=0 -DEXPECTED=file.json -P CheckOutput.cmake
# Without EXPECTED, OUT_MATCH (a regular expression) or the empty output is
# what standard output must give; ERR_MATCH, if given, is matched against
# standard error.
string(REPLACE "|" ";" ARGS "${ARGS}")
execute_process(COMMAND ${DUMP} ${ARGS} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT "${status}" STREQUAL "${STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED EXPECTED)
  file(READ ${EXPECTED} expected)
  if(NOT "${out}" STREQUAL "${expected}")
    message(FATAL_ERROR "output differs\n got: ${out}\nwant: ${expected}")
  endif()
elseif(DEFINED OUT_MATCH)
  if(NOT "${out}" MATCHES "${OUT_MATCH}")
    message(FATAL_ERROR "stdout does not match ${OUT_MATCH}\n got: ${out}")
  endif()
elseif(NOT "${out}" STREQUAL "")
  message(FATAL_ERROR "unexpected output: ${out}")
endif()
if(DEFINED ERR_MATCH AND NOT "${err}" MATCHES "${ERR_MATCH}")
  message(FATAL_ERROR "stderr does not match ${ERR_MATCH}\n got: ${err}")
endif()
