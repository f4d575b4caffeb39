# The universal macOS build (cmake/zig-macos.cmake without KESTRIX_MACOS_ARCH):
# one build of the project per architecture, in <build>/x86_64 and
# <build>/arm64, with the same toolchain file; llvm-lipo joins their
# modules into Kestrix/64/mac.xpl and their kestrix-check programs into
# bin/kestrix-check. The arm64 build also builds the test suites that
# compile for macOS (tests/CMakeLists.txt). CTest reads the joined module
# and program with LLVM's Mach-O tools (tests/macos).
include(ExternalProject)

set(KESTRIX_MACOS_ARCHS x86_64 arm64)
set(module ${PROJECT_BINARY_DIR}/Kestrix/64/mac.xpl)
set(program ${PROJECT_BINARY_DIR}/bin/kestrix-check)
set(module_slices "")
set(program_slices "")
foreach(arch IN LISTS KESTRIX_MACOS_ARCHS)
  set(dir ${PROJECT_BINARY_DIR}/${arch})
  set(tests OFF)
  if(arch STREQUAL "arm64")
    set(tests ${KESTRIX_BUILD_TESTS})
  endif()
  # $(MAKE) shares the outer make's job limit; other generators build on
  # their own.
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(build_command "$(MAKE)")
  else()
    set(build_command ${CMAKE_COMMAND} --build <BINARY_DIR>)
  endif()
  ExternalProject_Add(kestrix_macos_${arch}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${dir}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
      -DKESTRIX_MACOS_ARCH=${arch}
      -DKESTRIX_ZIG=${KESTRIX_ZIG}
      -DKESTRIX_MACOS_RUNTIME_DIR=${PROJECT_BINARY_DIR}/zig-runtime/${arch}
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DKESTRIX_FEATURE_LEVEL=${KESTRIX_FEATURE_LEVEL}
      -DXPLANE_SDK_DIR=${XPLANE_SDK_DIR}
      -DKESTRIX_BUILD_TESTS=${tests}
    BUILD_COMMAND ${build_command}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${dir}/Kestrix/64/mac.xpl ${dir}/bin/kestrix-check)
  list(APPEND module_slices ${dir}/Kestrix/64/mac.xpl)
  list(APPEND program_slices ${dir}/bin/kestrix-check)
endforeach()

# The linker signs each arm64 slice (ad hoc, as Apple Silicon requires);
# joining leaves the slices as they are, signatures included.
add_custom_command(OUTPUT ${module}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/Kestrix/64
  COMMAND ${KESTRIX_LIPO} -create ${module_slices} -output ${module}
  DEPENDS ${module_slices}
  COMMENT "Joining the module's slices into Kestrix/64/mac.xpl")
add_custom_command(OUTPUT ${program}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/bin
  COMMAND ${KESTRIX_LIPO} -create ${program_slices} -output ${program}
  DEPENDS ${program_slices}
  COMMENT "Joining kestrix-check's slices into bin/kestrix-check")
# The names the other builds give these targets.
add_custom_target(kestrix_plugin ALL DEPENDS ${module})
add_custom_target(kestrix-check ALL DEPENDS ${program})
foreach(arch IN LISTS KESTRIX_MACOS_ARCHS)
  add_dependencies(kestrix_plugin kestrix_macos_${arch})
  add_dependencies(kestrix-check kestrix_macos_${arch})
endforeach()

# The same layout as the other builds' install: Kestrix/64/mac.xpl beside
# config.ini and the sample data.cfg, and bin/kestrix-check.
install(PROGRAMS ${module} DESTINATION Kestrix/64)
install(PROGRAMS ${program} DESTINATION bin)
add_subdirectory(examples)

if(KESTRIX_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/macos)
endif()
