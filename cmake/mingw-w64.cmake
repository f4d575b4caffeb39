# Cross-builds the Windows module, the stand-in and the tests with Debian's
# mingw-w64 (g++-mingw-w64-x86-64):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Programs run under wine64 (CMAKE_CROSSCOMPILING_EMULATOR), so ctest runs
# the Windows tests on this machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTRIX_MINGW_PREFIX x86_64-w64-mingw32)

# The POSIX thread model: GoogleTest needs std::mutex, which the win32
# model of GCC 12 lacks. winpthread is linked statically like the rest.
set(CMAKE_C_COMPILER ${KESTRIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRIX_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${KESTRIX_MINGW_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${KESTRIX_MINGW_PREFIX}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime goes into every binary: the module must need no DLL but
# the simulator's two and the system's own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(KESTRIX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KESTRIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRIX_WINE})
endif()
