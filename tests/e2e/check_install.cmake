# Installs the build into PREFIX and checks that the sample board file is
# there as Kestrix/data.cfg.sample, and that no Kestrix/data.cfg is.
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
