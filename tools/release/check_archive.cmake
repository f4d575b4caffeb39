# Fails unless the release archive holds exactly what a builder needs, in
# the layout the user guide describes, and each file is the one that was
# checked when the archive was made:
#   - README.txt first, five lines saying what goes where;
#   - the plugin folder with the four modules, config.ini and the sample
#     data.cfg; kestrix-check for each system; the board firmware and its
#     flash tool; the user guide, the two documents it refers to and its
#     wiring pictures; nothing else;
#   - the programs executable once unpacked;
#   - every file's SHA-256 as HASHES lists it ("<sha256>  <path>" lines,
#     written from the files the module checks passed).
#   cmake -DARCHIVE=<zip> -DHASHES=<file> -DWORK=<empty dir> -P check_archive.cmake
cmake_minimum_required(VERSION 3.20)
set(expected
  README.txt
  Kestrix/64/lin.xpl
  Kestrix/64/mac.xpl
  Kestrix/64/win.xpl
  Kestrix/32/lin.xpl
  Kestrix/config.ini
  Kestrix/data.cfg.sample
  kestrix-check/linux/kestrix-check
  kestrix-check/macos/kestrix-check
  kestrix-check/windows/kestrix-check.exe
  firmware/kestrix-mega2560.hex
  firmware/kestrix-flash.sh
  docs/user-guide.md
  docs/data-cfg.md
  docs/reconnecting.md)
# Every wiring picture the user guide shows.
file(GLOB pictures RELATIVE ${CMAKE_CURRENT_LIST_DIR}/../.. ${CMAKE_CURRENT_LIST_DIR}/../../docs/wiring/*.svg)
list(APPEND expected ${pictures})
set(programs kestrix-check/linux/kestrix-check kestrix-check/macos/kestrix-check
  firmware/kestrix-flash.sh)
set(problems "")
macro(problem text)
  string(APPEND problems "\n  ${text}")
endmacro()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tvf ${ARCHIVE} OUTPUT_VARIABLE listing
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot list ${ARCHIVE}")
endif()
# "-rwxr-xr-x  0 0  0  1234 1 Jan 2020 Kestrix/64/lin.xpl": mode first, path last.
string(REGEX MATCHALL "[^\n]+" rows "${listing}")
set(names "")
foreach(row IN LISTS rows)
  string(REGEX MATCH "^([^ ]+) .* ([^ ]+)$" _ "${row}")
  set(mode ${CMAKE_MATCH_1})
  set(name ${CMAKE_MATCH_2})
  list(APPEND names ${name})
  if(name IN_LIST programs AND NOT mode MATCHES "^-rwx")
    problem("${name} is not executable (${mode})")
  endif()
endforeach()
set(first "nothing")
if(names)
  list(GET names 0 first)
endif()
if(NOT first STREQUAL "README.txt")
  problem("the archive begins with ${first}, not README.txt")
endif()
foreach(name IN LISTS expected)
  if(NOT name IN_LIST names)
    problem("${name} is missing")
  endif()
endforeach()
foreach(name IN LISTS names)
  if(NOT name IN_LIST expected)
    problem("${name} does not belong in the archive")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ARCHIVE} WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ARCHIVE}")
endif()
if(EXISTS ${WORK}/README.txt)
  file(STRINGS ${WORK}/README.txt lines)
  list(LENGTH lines count)
  if(NOT count EQUAL 5)
    problem("README.txt has ${count} lines, not five")
  endif()
endif()

file(STRINGS ${HASHES} entries)
set(hashed "")
foreach(entry IN LISTS entries)
  string(REGEX MATCH "^([0-9a-f]+)  (.+)$" _ "${entry}")
  set(path ${CMAKE_MATCH_2})
  list(APPEND hashed ${path})
  if(EXISTS ${WORK}/${path})
    file(SHA256 ${WORK}/${path} sum)
    if(NOT sum STREQUAL CMAKE_MATCH_1)
      problem("${path} is not the file that was checked")
    endif()
  endif()
endforeach()
foreach(name IN LISTS names)
  if(NOT name IN_LIST hashed)
    problem("${name} has no recorded checksum")
  endif()
endforeach()

if(problems)
  message(FATAL_ERROR "${ARCHIVE} is not a sound release:${problems}")
endif()
