# cmake --install of the build into a fresh prefix lays out exactly what a
# user copies into <X-Plane>/Resources/plugins/: Kestrix/64/win.xpl, which
# needs no DLL beside it, Kestrix/config.ini and the sample data.cfg (under
# data.cfg or data.cfg.sample); and beside it bin/kestrix-check.exe, which
# runs on its own: it imports from system DLLs only, not from the
# stand-in's XPLM_64.dll nor a C++ runtime. Anything else installed fails
# the test.
#   cmake -DBUILD=<build dir> -DPREFIX=<empty dir> -DOBJDUMP=<objdump> -P check_install.cmake
cmake_policy(SET CMP0057 NEW)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
set(expected Kestrix/64/win.xpl Kestrix/config.ini bin/kestrix-check.exe)
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
execute_process(COMMAND ${OBJDUMP} -p ${PREFIX}/bin/kestrix-check.exe OUTPUT_VARIABLE dump
                RESULT_VARIABLE result)
string(REGEX MATCHALL "DLL Name: [^\n]+" dll_lines "${dump}")
set(system_dlls KERNEL32.dll msvcrt.dll SHELL32.dll WS2_32.dll IPHLPAPI.DLL ADVAPI32.dll)
foreach(line IN LISTS dll_lines)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  if(NOT dll IN_LIST system_dlls)
    message(FATAL_ERROR "kestrix-check.exe imports from ${dll}")
  endif()
endforeach()
if(NOT result EQUAL 0 OR NOT dll_lines)
  message(FATAL_ERROR "${OBJDUMP} -p could not read the installed kestrix-check.exe")
endif()
file(REMOVE_RECURSE ${PREFIX})
