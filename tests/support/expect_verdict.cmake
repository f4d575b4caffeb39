# For the scripts that show a check refuses what it must: one case judged.

# expect_verdict(<case> <problem> <failures-var> <command...>)
# Runs the check <command>. With an empty <problem> the check must pass;
# otherwise it must fail and name <problem> in its output. Anything else is
# appended to <failures-var>, one line per case.
function(expect_verdict name expected failures_var)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  string(REGEX REPLACE "[ \n]+" " " output "${output}")
  set(failure "")
  if(expected STREQUAL "")
    if(NOT result EQUAL 0)
      set(failure "\n${name}: refused although sound: ${output}")
    endif()
  elseif(result EQUAL 0)
    set(failure "\n${name}: passed the check")
  else()
    string(FIND "${output}" "${expected}" at)
    if(at LESS 0)
      set(failure "\n${name}: refused without naming \"${expected}\": ${output}")
    endif()
  endif()
  set(${failures_var} "${${failures_var}}${failure}" PARENT_SCOPE)
endfunction()
