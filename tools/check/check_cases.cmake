# Runs kestrix-check on files and paths that no example can hold
# (cmake -DTOOL=... -DWORK=<scratch dir> -P): a directory, a missing file, a
# byte-order mark, carriage returns alone, an empty board. Each case gives
# the exit status expected and a text the output must hold.
string(ASCII 239 187 191 bom)
set(beacon "D22+ sim/lights/beacon_lights_on")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/a_directory")
set(failures "")

function(check_case name status expected)
  set(path "${WORK}/${name}")
  if(ARGC GREATER 3)
    file(WRITE "${path}" "${ARGV3}")
  endif()
  execute_process(COMMAND "${TOOL}" "${path}" ${EXTRA_${name}} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(FIND "${out}${err}" "${expected}" at)
  if(NOT rc EQUAL status OR at EQUAL -1)
    string(APPEND failures "\n${name}: exit ${rc} (expected ${status}), "
                           "expected \"${expected}\" in:\n${out}${err}")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

check_case(a_directory 2 "cannot read ${WORK}/a_directory: it is a directory")
check_case(missing.cfg 2 "cannot read ${WORK}/missing.cfg: No such file")
set(EXTRA_tables.cfg --datarefs "${WORK}/a_directory")
check_case(tables.cfg 2 "cannot read ${WORK}/a_directory: it is a directory" "*1\n[I]\n${beacon}\n")
check_case(bom.cfg 1 "line 1: warning: the file starts with a UTF-8 byte-order mark"
           "${bom}*1\n[I]\n${beacon}\n")
check_case(bom_read.cfg 1 "inputs: 1\n     0  D22+" "${bom}*1\n[I]\n${beacon}\n")
check_case(cr_only.cfg 1 "line 1: warning: a carriage return that is no line end"
           "*1\r[I]\r${beacon}\r")
check_case(cr_late.cfg 1 "line 3: warning: a carriage return that is no line end"
           "*1\r\n[I]\n${beacon}\r[O]\r\n")
check_case(empty_board.cfg 1 "line 4: warning: the section has no inputs and no outputs"
           "*1\n[I]\n${beacon}\n*2\n[A]\nG 40\n")
check_case(clean.cfg 0 "0 problems found" "*1\r\n[I]\r\n${beacon}\r\n")

if(NOT failures STREQUAL "")
  message(FATAL_ERROR "kestrix-check cases failed:${failures}")
endif()
