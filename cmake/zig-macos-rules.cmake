# Link rules of the macOS cross-build (cmake/zig-macos.cmake), read after
# CMake's Darwin defaults: ld64.lld links directly, with the platform, the
# minimum system and Zig's runtime and libSystem stub. Options meant for the
# linker (LINKER:...) reach it as they are.
# The compilers' ABI check asks the driver to be verbose: Zig's takes -v,
# but no -Wl,-v for a compile.
foreach(lang C CXX)
  set(CMAKE_${lang}_VERBOSE_FLAG "-v")
  set(CMAKE_${lang}_LINKER_WRAPPER_FLAG "")
  unset(CMAKE_${lang}_LINKER_WRAPPER_FLAG_SEP)
  set(CMAKE_${lang}_LINK_EXECUTABLE
      "${KESTRIX_MACOS_LINK} -execute <LINK_FLAGS> -o <TARGET> <OBJECTS> <LINK_LIBRARIES> ${KESTRIX_MACOS_LINK_LIBS}")
  set(CMAKE_${lang}_CREATE_SHARED_MODULE
      "${KESTRIX_MACOS_LINK} -bundle <LINK_FLAGS> -o <TARGET> <OBJECTS> <LINK_LIBRARIES> ${KESTRIX_MACOS_LINK_LIBS}")
endforeach()
