# Every program a user runs answers --help with a short usage text on
# standard output and exit status 0, doing nothing else
# (cmake -DPROGRAMS=<program>,<program>,... -P).
string(REPLACE "," ";" programs "${PROGRAMS}")
set(failures "")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${program}" --help RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err TIMEOUT 20)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "^usage: ")
    string(APPEND failures "\n${program} --help: exit ${rc}, output:\n${out}${err}")
  endif()
endforeach()
if(NOT failures STREQUAL "")
  message(FATAL_ERROR "programs that do not answer --help:${failures}")
endif()
