# cmake --install of the build into a fresh prefix lays out exactly what a
# user copies into <X-Plane>/Resources/plugins/: Kestrix/64/win.xpl, which
# needs no DLL beside it, Kestrix/config.ini and the sample data.cfg (under
# data.cfg or data.cfg.sample). Anything else installed fails the test.
#   cmake -DBUILD=<build dir> -DPREFIX=<empty dir> -P check_install.cmake
cmake_policy(SET CMP0057 NEW)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
set(expected Kestrix/64/win.xpl Kestrix/config.ini)
set(unexpected "")
set(sample "")
foreach(file IN LISTS installed)
  if(file MATCHES "^Kestrix/data\\.cfg(\\.sample)?$")
    set(sample ${file})
  elseif(NOT file IN_LIST expected)
    list(APPEND unexpected ${file})
  endif()
endforeach()
foreach(file IN LISTS expected)
  if(NOT file IN_LIST installed)
    message(FATAL_ERROR "the install lacks ${file}; it laid out: ${installed}")
  endif()
endforeach()
if(NOT sample)
  message(FATAL_ERROR "the install lacks the sample data.cfg; it laid out: ${installed}")
endif()
if(unexpected)
  message(FATAL_ERROR "the install lays out more than the plugin folder needs: ${unexpected}")
endif()
file(REMOVE_RECURSE ${PREFIX})
