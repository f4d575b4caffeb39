# Installs the build into PREFIX and checks that the sample board file is
# there as Kestrix/data.cfg.sample, and that no Kestrix/data.cfg is; that
# the tools a builder tries a configuration with come along, and that the
# installed kestrix-sim finds its own tables without the build tree.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
if(EXISTS "${PREFIX}/Kestrix/data.cfg")
  message(FATAL_ERROR "the install holds a Kestrix/data.cfg the plugin would read")
endif()
if(NOT EXISTS "${PREFIX}/Kestrix/data.cfg.sample")
  message(FATAL_ERROR "the install holds no Kestrix/data.cfg.sample")
endif()
foreach(program kestrix-check kestrix-sim kestrix-board)
  if(NOT EXISTS "${PREFIX}/bin/${program}")
    message(FATAL_ERROR "the install holds no bin/${program}")
  endif()
endforeach()
# An empty simulator folder: the tables must come from the install.
file(MAKE_DIRECTORY "${PREFIX}/empty-root")
execute_process(COMMAND "${PREFIX}/bin/kestrix-sim" --root "${PREFIX}/empty-root" --frames 0
                ERROR_VARIABLE said OUTPUT_VARIABLE said_out)
if(NOT said MATCHES "datarefs: [1-9][0-9]* from ${PREFIX}/share/kestrix-sim/DataRefs.txt")
  message(FATAL_ERROR "the installed kestrix-sim did not read its own tables:\n${said}")
endif()
