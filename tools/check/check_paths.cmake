# Included by the check scripts. With -DWINE=<wine64> the tool is the
# Windows build's kestrix-check.exe, run under wine: it is given every path
# as Windows names it (a drive letter and backslashes: wine shows / as Z:\),
# and its CR LF line ends are read as LF.

# Runs the tool with the arguments after the three names, setting the exit
# status, standard output and standard error. Under wine the output goes
# through files: the helper processes wine starts (services.exe and others)
# inherit the tool's output and hold a pipe open for seconds after the tool
# has ended.
function(run_check rc_var out_var err_var)
  if(NOT WINE)
    execute_process(COMMAND "${TOOL}" ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
  else()
    string(RANDOM LENGTH 12 tag)
    get_filename_component(base "${TOOL}" DIRECTORY)
    set(capture "${base}/check-run-${tag}")
    # A wine process that meets its wine server while that server shuts
    # down ends at once with "wine client error" and never runs the tool:
    # that run is repeated, once.
    foreach(attempt 1 2)
      execute_process(COMMAND "${WINE}" "${TOOL}" ${ARGN} RESULT_VARIABLE rc
                      OUTPUT_FILE "${capture}.out" ERROR_FILE "${capture}.err")
      file(READ "${capture}.out" out)
      file(READ "${capture}.err" err)
      if(NOT err MATCHES "^wine client error")
        break()
      endif()
    endforeach()
    file(REMOVE "${capture}.out" "${capture}.err")
    string(REPLACE "\r\n" "\n" out "${out}")
    string(REPLACE "\r\n" "\n" err "${err}")
  endif()
  set(${rc_var} "${rc}" PARENT_SCOPE)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

function(native_path out path)
  if(WINE)
    string(REPLACE "/" "\\" path "${path}")
    set(path "Z:${path}")
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()
