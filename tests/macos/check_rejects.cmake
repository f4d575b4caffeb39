# Shows that check_macho.cmake catches what a Mac would refuse or what
# would break the plugin there: a small module (fake_module.c) is linked
# once as the build links mac.xpl, and must pass; then once per fault, and
# each must fail with its problem named.
#   cmake -DZIG=<zig> -DLD64=<ld64.lld> -DLIPO=... -DOBJDUMP=... -DNM=... -DPYTHON=... -DLIBSYSTEM=<tbd>
#         -DSDK_DIR=<sdk> -DEXPORTS=<exports_mac.txt> -DWORK=<empty dir> -P check_rejects.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/../support/expect_verdict.cmake)
set(here ${CMAKE_CURRENT_LIST_DIR})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed: ${errors}")
  endif()
endfunction()

foreach(arch x86_64 arm64)
  string(REPLACE arm64 aarch64 zig_arch ${arch})
  run(${ZIG} cc -target ${zig_arch}-macos.11.0 -O2 -c ${here}/fake_module.c
      -o ${WORK}/fake_${arch}.o)
endforeach()

# One slice linked as the build links the module, with <args> added.
function(link_slice out arch minimum)
  run(${LD64} -arch ${arch} -platform_version macos ${minimum} 11.0 -dead_strip -bundle
      -exported_symbols_list ${EXPORTS} -U _XPLMGetMyID -o ${out} ${WORK}/fake_${arch}.o
      ${LIBSYSTEM} ${ARGN})
endfunction()

# case name | what it changes | problem the check must name
set(cases
  "sound|none|"
  "one_architecture|arm64 slice alone|architectures 'arm64'"
  "sixth_export|-exported_symbol _KestrixExtra|exports '_KestrixExtra"
  "other_library|links other_library.tbd|libc++.1.dylib', expected only /usr/lib/libSystem.B.dylib"
  "unsigned_arm64|-no_adhoc_codesign on arm64|arm64: no code signature"
  "older_minimum|x86_64 for macOS 10.13|x86_64: minimum macOS '10.13', expected 11.0"
  "unknown_undefined|-u/-U _KestrixNowhere|undefined _KestrixNowhere is neither"
  "sdk_from_a_library|_XPLMGetMyID from xplm.tbd|SDK function _XPLMGetMyID bound to 'XPLM'"
  "changed_after_signing|a byte of arm64 code changed|arm64: page 0 does not match its hash")
set(failures "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 2 expected)
  set(x86 "")
  set(arm "")
  set(x86_minimum 11.0)
  if(name STREQUAL "sixth_export")
    set(x86 -exported_symbol _KestrixExtra)
    set(arm ${x86})
  elseif(name STREQUAL "other_library")
    set(x86 ${here}/other_library.tbd)
    set(arm ${x86})
  elseif(name STREQUAL "unsigned_arm64")
    set(arm -no_adhoc_codesign)
  elseif(name STREQUAL "older_minimum")
    set(x86_minimum 10.13)
  elseif(name STREQUAL "unknown_undefined")
    set(x86 -u _KestrixNowhere -U _KestrixNowhere)
    set(arm ${x86})
  elseif(name STREQUAL "sdk_from_a_library")
    set(x86 ${here}/xplm.tbd)
    set(arm ${x86})
  endif()
  set(module ${WORK}/${name}.xpl)
  link_slice(${WORK}/${name}_x86_64 x86_64 ${x86_minimum} ${x86})
  link_slice(${WORK}/${name}_arm64 arm64 11.0 ${arm})
  if(name STREQUAL "changed_after_signing")
    # One bit of the first page flipped, as a later tool might change it.
    run(${PYTHON} -c "import sys\nd = bytearray(open(sys.argv[1], 'rb').read())\nd[64] ^= 1\nopen(sys.argv[1], 'wb').write(d)"
        ${WORK}/${name}_arm64)
  endif()
  if(name STREQUAL "one_architecture")
    file(COPY_FILE ${WORK}/${name}_arm64 ${module})
  else()
    run(${LIPO} -create ${WORK}/${name}_x86_64 ${WORK}/${name}_arm64 -output ${module})
  endif()
  expect_verdict(${name} "${expected}" failures
    ${CMAKE_COMMAND} -DFILE=${module} -DKIND=module -DARCHS=x86_64,arm64
    -DMIN_VERSION=11.0 -DSDK_DIR=${SDK_DIR} -DLIBSYSTEM=${LIBSYSTEM} -DLIPO=${LIPO}
    -DOBJDUMP=${OBJDUMP} -DNM=${NM} -DPYTHON=${PYTHON} -P ${here}/check_macho.cmake)
endforeach()
if(failures)
  message(FATAL_ERROR "the Mach-O check misjudged:${failures}")
endif()
