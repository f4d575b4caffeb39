# What ld64.lld links into every macOS binary besides the project's own
# objects: Zig's libc++, libc++abi and compiler runtime (static, so the
# module needs no C++ library of the system or the simulator) and Zig's
# stub of libSystem, the one system library the binaries use.
#
# Zig builds its runtime for a target the first time it links C++ for it.
# A small probe linked once per architecture, with a cache of its own,
# leaves exactly one libc++.a, libc++abi.a and libcompiler_rt.a there; they
# are copied to <dir> and the cache is removed (about a minute per
# architecture, at configure time, once per build folder).

# kestrix_macos_runtime(<zig> <target> <dir> <libs-var> <libsystem-var>)
# Sets <libs-var> to the three archives and <libsystem-var> to the stub.
function(kestrix_macos_runtime zig target dir libs_var libsystem_var)
  execute_process(COMMAND ${zig} env OUTPUT_VARIABLE env RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${zig} env failed")
  endif()
  string(JSON lib_dir GET "${env}" lib_dir)
  string(REGEX MATCH "macos\\.([0-9]+)" _ "${target}")
  set(libsystem ${lib_dir}/libc/darwin/libSystem.${CMAKE_MATCH_1}.tbd)
  if(NOT EXISTS ${libsystem})
    message(FATAL_ERROR "Zig has no libSystem stub for ${target} (${libsystem})")
  endif()
  set(${libsystem_var} ${libsystem} PARENT_SCOPE)

  set(names libc++.a libc++abi.a libcompiler_rt.a)
  set(libs "")
  set(missing OFF)
  foreach(name IN LISTS names)
    list(APPEND libs ${dir}/${name})
    if(NOT EXISTS ${dir}/${name})
      set(missing ON)
    endif()
  endforeach()
  if(missing)
    message(STATUS "Building Zig's C++ runtime for ${target} (about a minute)")
    set(cache ${dir}/zig-cache)
    file(REMOVE_RECURSE ${cache})
    file(MAKE_DIRECTORY ${dir})
    file(WRITE ${dir}/probe.cpp
         "#include <stdexcept>\n#include <string>\n"
         "int Probe(const char* text) { return static_cast<int>(std::string(text).size()); }\n"
         "void Fail() { throw std::runtime_error(\"probe\"); }\n")
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env ZIG_GLOBAL_CACHE_DIR=${cache} ZIG_LOCAL_CACHE_DIR=${cache}
              ${zig} c++ -target ${target} -O2 -shared ${dir}/probe.cpp -o ${dir}/probe.dylib
      RESULT_VARIABLE result ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "Zig could not build its C++ runtime for ${target}:\n${errors}")
    endif()
    foreach(name IN LISTS names)
      file(GLOB_RECURSE found ${cache}/${name})
      list(LENGTH found count)
      if(NOT count EQUAL 1)
        message(FATAL_ERROR "expected one ${name} in Zig's cache, found: ${found}")
      endif()
      file(COPY_FILE ${found} ${dir}/${name})
    endforeach()
    file(REMOVE_RECURSE ${cache})
    file(REMOVE ${dir}/probe.cpp ${dir}/probe.dylib)
  endif()
  string(REPLACE ";" " " libs "${libs}")
  set(${libs_var} "${libs}" PARENT_SCOPE)
endfunction()
