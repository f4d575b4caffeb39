# Reads a macOS binary with LLVM's Mach-O tools and fails unless it is what
# a Mac will load:
#   - exactly the architectures ARCHS (x86_64 and arm64), nothing else;
#   - in each: no library linked but libSystem, the minimum system
#     MIN_VERSION for macOS, a code signature on arm64 whose page hashes
#     match the slice (verify_signature.py);
#   - every undefined symbol either a libSystem symbol (listed in the stub
#     LIBSYSTEM, bound to libSystem) or, for a module, one of the SDK
#     functions declared in SDK_DIR (bound by name wherever the simulator
#     provides it: flat namespace);
#   - for a module, exactly the five entry points exported.
#   cmake -DFILE=<binary> -DKIND=module|program -DARCHS=x86_64,arm64 -DMIN_VERSION=11.0
#         -DSDK_DIR=<sdk> -DLIBSYSTEM=<libSystem.tbd> -DLIPO=... -DOBJDUMP=... -DNM=...
#         -DPYTHON=<python3> -P check_macho.cmake
cmake_minimum_required(VERSION 3.20)
foreach(tool LIPO OBJDUMP NM PYTHON)
  if(NOT ${tool})
    message(FATAL_ERROR "check_macho.cmake needs -D${tool}=<program>")
  endif()
endforeach()
string(REPLACE "," ";" ARCHS "${ARCHS}")
set(problems "")
macro(problem text)
  string(APPEND problems "\n  ${text}")
endmacro()

# The output of a tool that must succeed.
function(run out)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE errors
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed: ${errors}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The SDK functions the project declares in its own headers.
file(GLOB headers ${SDK_DIR}/*/*.h)
set(sdk_functions "")
foreach(header IN LISTS headers)
  file(STRINGS ${header} lines REGEX "^[A-Z]+_API .*[A-Za-z0-9_]+\\(")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "([A-Za-z0-9_]+)\\(" _ "${line}")
    list(APPEND sdk_functions _${CMAKE_MATCH_1})
  endforeach()
endforeach()
if(NOT sdk_functions)
  message(FATAL_ERROR "no SDK function declared under ${SDK_DIR}")
endif()
file(READ ${LIBSYSTEM} libsystem)

run(lipo_archs ${LIPO} -archs ${FILE})
string(REGEX MATCHALL "[^ \n]+" found_archs "${lipo_archs}")
set(wanted ${ARCHS})
list(SORT found_archs)
list(SORT wanted)
if(NOT found_archs STREQUAL wanted)
  problem("architectures '${found_archs}', expected '${wanted}'")
endif()

foreach(arch IN LISTS found_archs)
  # Load commands: libraries, minimum system, code signature.
  run(used ${OBJDUMP} --macho --dylibs-used --arch=${arch} ${FILE})
  string(REGEX MATCHALL "\n[ \t]+[^ \t\n]+" libraries "${used}")
  list(TRANSFORM libraries STRIP)
  if(NOT libraries STREQUAL "/usr/lib/libSystem.B.dylib")
    problem("${arch}: links '${libraries}', expected only /usr/lib/libSystem.B.dylib")
  endif()
  run(headers ${OBJDUMP} --macho --private-headers --arch=${arch} ${FILE})
  # Binaries for macOS 10.14 and later carry LC_BUILD_VERSION, older ones
  # LC_VERSION_MIN_MACOSX.
  set(minimum "")
  if(headers MATCHES "cmd LC_BUILD_VERSION\n[^\n]*\n +platform macos\n[^\n]*\n +minos ([0-9.]+)")
    set(minimum ${CMAKE_MATCH_1})
  elseif(headers MATCHES "cmd LC_VERSION_MIN_MACOSX\n[^\n]*\n +version ([0-9.]+)")
    set(minimum ${CMAKE_MATCH_1})
  endif()
  if(NOT minimum STREQUAL MIN_VERSION)
    problem("${arch}: minimum macOS '${minimum}', expected ${MIN_VERSION}")
  endif()
  if(arch STREQUAL "arm64" AND NOT headers MATCHES "cmd LC_CODE_SIGNATURE")
    problem("arm64: no code signature (LC_CODE_SIGNATURE)")
  endif()

  # Exports: what the export trie names is what dyld lets others find.
  if(KIND STREQUAL "module")
    run(trie ${OBJDUMP} --macho --exports-trie --arch=${arch} ${FILE})
    string(REGEX MATCHALL "0x[0-9A-Fa-f]+ +[^ \n]+" rows "${trie}")
    list(TRANSFORM rows REPLACE "^0x[0-9A-Fa-f]+ +" "")
    list(SORT rows)
    set(five _XPluginDisable _XPluginEnable _XPluginReceiveMessage _XPluginStart _XPluginStop)
    if(NOT rows STREQUAL five)
      problem("${arch}: exports '${rows}', expected '${five}'")
    endif()
  endif()

  # Undefined symbols and where each is bound.
  run(undefined ${NM} --arch=${arch} -u ${FILE})
  string(REGEX MATCHALL "[^\n]+" undefined "${undefined}")
  run(binds ${OBJDUMP} --macho --bind --lazy-bind --arch=${arch} ${FILE})
  foreach(symbol IN LISTS undefined)
    string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\1" pattern "${symbol}")
    string(REGEX MATCH " ([^ ]+) +${pattern}\n" _ "${binds}\n")
    set(from "${CMAKE_MATCH_1}")
    if(KIND STREQUAL "module" AND symbol IN_LIST sdk_functions)
      if(NOT from STREQUAL "flat-namespace")
        problem("${arch}: SDK function ${symbol} bound to '${from}', not looked up by name")
      endif()
    elseif(NOT libsystem MATCHES "[[ ,']${pattern}[] ,'\n]")
      problem("${arch}: undefined ${symbol} is neither an SDK function nor in libSystem")
    elseif(NOT from STREQUAL "libSystem")
      problem("${arch}: ${symbol} bound to '${from}', not to libSystem")
    endif()
  endforeach()
endforeach()

# The signature must match what it signs: a slice changed after linking
# would be killed on Apple Silicon when its page is mapped.
execute_process(
  COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/verify_signature.py ${FILE} --require arm64
  OUTPUT_VARIABLE signature_problems RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  string(STRIP "${signature_problems}" signature_problems)
  string(REPLACE "\n" "\n  " signature_problems "${signature_problems}")
  problem("${signature_problems}")
endif()

if(problems)
  message(FATAL_ERROR "${FILE} is not what a Mac loads:${problems}")
endif()
