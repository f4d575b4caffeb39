# Runs kestrix-check on files and paths that no example can hold
# (cmake -DTOOL=... -DWORK=<scratch dir> -DLISTS=<dir of DataRefs.txt and
# Commands.txt> -P): a directory, a missing file, a byte-order mark,
# carriage returns alone, an empty board, lists found in the simulator the
# file sits in, no list at all. Each case gives the exit status expected and
# a text the output must hold. Then one table of lines that parse into
# something else than meant, each of which must draw its warning.
# -DWINE=<wine64> runs a Windows kestrix-check.exe (check_paths.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/check_paths.cmake)
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
  native_path(argument "${path}")
  run_check(rc out err "${argument}" ${EXTRA_${name}})
  string(FIND "${out}${err}" "${expected}" at)
  if(NOT rc EQUAL status OR at EQUAL -1)
    string(APPEND failures "\n${name}: exit ${rc} (expected ${status}), "
                           "expected \"${expected}\" in:\n${out}${err}")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

native_path(a_directory "${WORK}/a_directory")
check_case(a_directory 2 "cannot read ${a_directory}: it is a directory")
native_path(missing "${WORK}/missing.cfg")
check_case(missing.cfg 2 "cannot read ${missing}: No such file")
set(EXTRA_tables.cfg --datarefs "${a_directory}")
check_case(tables.cfg 2 "cannot read ${a_directory}: it is a directory" "*1\n[I]\n${beacon}\n")
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

# The lists of the simulator the file sits in are found without options,
# by walking up from the file (on Windows through backslashed folders).
set(aircraft "X-Plane/Aircraft/Laminar Research/Test")
file(COPY "${LISTS}/DataRefs.txt" "${LISTS}/Commands.txt"
     DESTINATION "${WORK}/X-Plane/Resources/plugins")
native_path(simulator "${WORK}/X-Plane")
check_case("${aircraft}/data.cfg" 1 "of the simulator in ${simulator}\n"
           "*1\n[I]\nD2+ sim/lights/beacon_light_on\n")
check_case("${aircraft}/misspelled.cfg" 1 "line 3: not resolved: \"sim/lights/beacon_light_on\""
           "*1\n[I]\nD2+ sim/lights/beacon_light_on\n")
# Folder names that no ANSI code page holds together (Ł, ü, –): the file
# and the lists above it are read through their UTF-8 names all the same.
set(unicode_sim "Sim Łódź Jürgen")
file(COPY "${LISTS}/DataRefs.txt" "${LISTS}/Commands.txt"
     DESTINATION "${WORK}/${unicode_sim}/Resources/plugins")
native_path(simulator "${WORK}/${unicode_sim}")
check_case("${unicode_sim}/Aircraft/Cub – Ü/data.cfg" 1 "of the simulator in ${simulator}\n"
           "*1\n[I]\nD2+ sim/lights/beacon_light_on\n")
check_case("${unicode_sim}/Aircraft/Cub – Ü/misspelled.cfg" 1
           "line 3: not resolved: \"sim/lights/beacon_light_on\""
           "*1\n[I]\nD2+ sim/lights/beacon_light_on\n")
# Without any list the names are not checked, and no real name is unresolved.
set(unlisted "*1\n[I]\nD2+ sim/lights/beacon_lights_on\nA0 sim/cockpit2/engine/actuators/prop_ratio_all 0,1\n[O]\n13L 0 sim/cockpit2/annunciators/autopilot_disconnect\n")
check_case(no_lists.cfg 0 "Names were not checked: no DataRefs.txt or Commands.txt found" "${unlisted}")
check_case(no_lists_clean.cfg 0 "names not checked\n\n0 problems found" "${unlisted}")

# The plugin's own names are as real as the simulator's.
native_path(datarefs "${LISTS}/DataRefs.txt")
native_path(commands "${LISTS}/Commands.txt")
set(EXTRA_own_names.cfg --datarefs "${datarefs}" --commands "${commands}")
check_case(own_names.cfg 0 "every name resolved\n\n0 problems found"
           "*1\n[I]\nD2+ kestrix/starter_ignition_1\n[O]\n13L 0 kestrix/flaps_in_transition\n")

# Section | line | words of the warning. SEMI stands for ";", which CMake
# lists cannot hold. Each line is checked in a board of its own, where it
# must be the one problem, at line 3.
set(meanings
  "A|G 40 41|\"41\" after the last field (the pin) is never read"
  "A|N 41 # common|\"# common\" after the last field (the pin)"
  "I|D2+ sim/lights/beacon_lights_on 1|\"1\" after the last field (the command's name)"
  "I|D2+ D2>1 x|\"x\" after the last field (the link's name)"
  "I|D2+ sim/cockpit2/switches/beacon_on 1 1 on|\"on\" after the last field (the array element)"
  "I|A0 sim/cockpit2/engine/actuators/throttle_ratio_all 0,1 1 30 0 100 9|\"9\" after the last field (the third analog setting)"
  "I|A0 sim/cockpit2/engine/actuators/throttle_ratio_all|an analog input without a range writes"
  "I|A0 sim/cockpit2/engine/actuators/throttle_ratio_all 1|an analog input without a range writes"
  "I|A0 sim/cockpit2/engine/actuators/throttle_ratio_all 0SEMI1|\"0SEMI1\" has \"SEMI\" between its numbers: only commas separate them (0,1)"
  "I|D2+ sim/cockpit2/autopilot/altitude_dial_ft 100+:50000|\"100+:50000\" has \":\" between its numbers: only commas separate them (100+,50000)"
  "I|D2+ sim/cockpit2/annunciators/master_caution 0|dataref \"sim/cockpit2/annunciators/master_caution\" is read-only"
  "I|A20 A20>1|analog channel \"20\" is not one of 0 to 15"
  "O|14L sim/cockpit2/annunciators/gear_unsafe|a key and a dataref alone make a mode line, not an output"
  "O|7P 0 sim/cockpit2/switches/panel_brightness_ratio 1 0SEMI1|\"0SEMI1\" has \"SEMI\" between"
  "O|9S 0 sim/cockpit2/controls/flap_handle_request_ratio 1 0/1 500/2500|\"0/1\" has \"/\" between"
  "O|6 0 sim/cockpit2/radios/actuators/transponder_code 1 0,7777|a value range needs a target range"
  "O|3G 0 sim/cockpit2/gauges/indicators/compass_heading_deg_mag 1 360 360 400 x|\"x\" after the last field (the steps of a turn)"
  "O|5N 0 sim/cockpit2/radios/actuators/transponder_code 1 4 0 z more|\"more\" after the last field (the display options)")
string(ASCII 59 semicolon)
set(number 0)
foreach(row IN LISTS meanings)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 section)
  list(GET fields 1 line)
  list(GET fields 2 words)
  string(REPLACE "SEMI" "${semicolon}" line "${line}")
  string(REPLACE "SEMI" "${semicolon}" words "${words}")
  set(text "*1\n[${section}]\n${line}\n")
  if(NOT section STREQUAL "O")
    string(APPEND text "[O]\n13L 0 sim/cockpit2/annunciators/master_warning\n")
  endif()
  math(EXPR number "${number} + 1")
  file(WRITE "${WORK}/meaning${number}.cfg" "${text}")
  native_path(argument "${WORK}/meaning${number}.cfg")
  run_check(rc out err "${argument}" --datarefs "${datarefs}" --commands "${commands}")
  string(FIND "${out}" "line 3: warning: ${words}" at)
  string(FIND "${out}" "\n1 problem found" one)
  if(NOT rc EQUAL 1 OR at EQUAL -1 OR one EQUAL -1)
    string(APPEND failures "\n${line}: expected the one warning \"${words}\" in:\n${out}${err}")
  endif()
endforeach()

if(NOT failures STREQUAL "")
  message(FATAL_ERROR "kestrix-check cases failed:${failures}")
endif()
