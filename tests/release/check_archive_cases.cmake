# Shows that tools/release/check_archive.cmake refuses a faulty release
# archive: a sound one, made of small stand-in files, must pass; each
# fault must fail with its problem named.
#   cmake -DCHECK=<check_archive.cmake> -DWORK=<empty dir> -P check_archive_cases.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/../support/expect_verdict.cmake)
set(layout README.txt Kestrix/64/lin.xpl Kestrix/64/mac.xpl Kestrix/64/win.xpl
  Kestrix/32/lin.xpl Kestrix/config.ini Kestrix/data.cfg.sample
  kestrix-check/linux/kestrix-check kestrix-check/macos/kestrix-check
  kestrix-check/windows/kestrix-check.exe firmware/kestrix-mega2560.hex
  firmware/kestrix-flash.sh docs/user-guide.md docs/data-cfg.md docs/reconnecting.md)
get_filename_component(top ${CHECK}/../../.. ABSOLUTE)
file(GLOB pictures RELATIVE ${top} ${top}/docs/wiring/*.svg)
list(APPEND layout ${pictures})

# case name | problem the check must name
set(cases
  "sound|"
  "missing_module|Kestrix/64/mac.xpl is missing"
  "extra_file|Kestrix/data.cfg does not belong in the archive"
  "readme_not_first|the archive begins with Kestrix/64/lin.xpl, not README.txt"
  "readme_of_six_lines|README.txt has 6 lines, not five"
  "module_changed_after_its_check|Kestrix/64/win.xpl is not the file that was checked"
  "program_not_executable|kestrix-check/macos/kestrix-check is not executable"
  "file_without_checksum|docs/data-cfg.md has no recorded checksum")
set(failures "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(LENGTH fields count)
  set(expected "")
  if(count GREATER 1)
    list(GET fields 1 expected)
  endif()
  set(stage ${WORK}/${name})
  file(REMOVE_RECURSE ${stage})
  set(files ${layout})
  if(name STREQUAL "missing_module")
    list(REMOVE_ITEM files Kestrix/64/mac.xpl)
  elseif(name STREQUAL "extra_file")
    list(APPEND files Kestrix/data.cfg)
  elseif(name STREQUAL "readme_not_first")
    list(REMOVE_ITEM files README.txt)
    list(APPEND files README.txt)
  endif()
  set(hashes "")
  foreach(file IN LISTS files)
    if(file STREQUAL "README.txt")
      set(lines 5)
      if(name STREQUAL "readme_of_six_lines")
        set(lines 6)
      endif()
      string(REPEAT "what goes where\n" ${lines} text)
    else()
      set(text "stand-in for ${file}\n")
    endif()
    file(WRITE ${stage}/${file} "${text}")
    if(file MATCHES "^(kestrix-check/(linux|macos)/|firmware/kestrix-flash.sh)" AND
       NOT name STREQUAL "program_not_executable")
      file(CHMOD ${stage}/${file} FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
           GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
    file(SHA256 ${stage}/${file} sum)
    if(NOT (name STREQUAL "file_without_checksum" AND file STREQUAL "docs/data-cfg.md"))
      string(APPEND hashes "${sum}  ${file}\n")
    endif()
  endforeach()
  if(name STREQUAL "module_changed_after_its_check")
    file(APPEND ${stage}/Kestrix/64/win.xpl "changed\n")
  endif()
  file(WRITE ${stage}.sha256 "${hashes}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${stage}.zip --format=zip ${files}
                  WORKING_DIRECTORY ${stage})
  expect_verdict(${name} "${expected}" failures
    ${CMAKE_COMMAND} -DARCHIVE=${stage}.zip -DHASHES=${stage}.sha256
    -DWORK=${stage}-check -P ${CHECK})
endforeach()
if(failures)
  message(FATAL_ERROR "the archive check misjudged:${failures}")
endif()
